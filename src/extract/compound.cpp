#include <string>

#include "extract/formats.h"

namespace extract::detail {

namespace {

// Reads size bytes at offset; false when the source holds fewer.
bool ReadExactly(ByteSource& source, std::uint64_t offset, std::string& bytes, std::size_t size) {
  bytes.assign(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    std::size_t count = 0;
    if (!source.ReadAt(offset + done, bytes.data() + done, size - done, count) || count == 0) {
      return false;
    }
    done += count;
  }
  return true;
}

unsigned Little(const std::string& bytes, std::size_t at, int length) {
  unsigned value = 0;
  for (int i = length - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

// An Office document saved with a password is a compound file whose first directory sector names
// the stream "EncryptedPackage". Other compound files (old Word and Excel files) are not
// documents here: their text is in their raw bytes.
void ExtractCompound(Context& context, ByteSource& source) {
  std::string header;
  if (!ReadExactly(source, 0, header, 512)) {
    context.Disown();
    return;
  }
  const unsigned shift = Little(header, 0x1E, 2);
  const unsigned directory = Little(header, 0x30, 4);
  std::string sector;
  if ((shift != 9 && shift != 12) || !ReadExactly(source, (std::uint64_t{directory} + 1) << shift,
                                                  sector, std::size_t{1} << shift)) {
    context.Disown();
    return;
  }
  static constexpr char kName[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0";
  if (sector.find(std::string_view(kName, sizeof kName - 1)) != std::string::npos) {
    context.Unread("encrypted");
  } else {
    context.Disown();
  }
}

}  // namespace extract::detail
