// Compressed files and archives other than zip, packed at test time by the system's own tools.
#include <gtest/gtest.h>

#include "extract/reasons.h"
#include "extract/samples.h"

namespace {

using extract::Gap;
using extract::Outcome;
using samples::Extract;

const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"brief.txt", "Sehr geehrte Frau Erika M\xC3\xBCller,\n"},
    {"akte.docx", samples::Docx({{"Herr Otto ", "Brenner"}})},
};

bool Has(const std::string& streams, std::string_view name) {
  return streams.find(name) != std::string::npos;
}

TEST(ArchiveTest, EveryContainerKindGivesItsMembersRawAndAsDocuments) {
  const struct {
    const char *tool, *command;
    bool letter, document;
  } cases[] = {
      {"tar", "tar cf out brief.txt akte.docx", true, true},
      {"gzip", "tar czf out brief.txt akte.docx", true, true},
      {"bzip2", "tar cjf out brief.txt akte.docx", true, true},
      {"xz", "tar cJf out brief.txt akte.docx", true, true},
      {"zstd", "tar --zstd -cf out brief.txt akte.docx", true, true},
      {"7z", "7z a -bd -bso0 out.7z brief.txt akte.docx && mv out.7z out", true, true},
      {"cpio", "printf 'brief.txt\\nakte.docx\\n' | cpio -o --quiet -H newc > out", true, true},
      {"genisoimage", "genisoimage -quiet -R -J -o out brief.txt akte.docx", true, true},
      // A single compressed file is its one member: the letter searched raw, the docx as text.
      {"gzip", "gzip -c brief.txt > out", true, false},
      {"xz", "xz --format=lzma -c akte.docx > out", false, true},
      {"zstd", "zstd -q -c akte.docx > out", false, true},
      // Nested: a tar.gz inside a 7z, two levels below the file.
      {"7z", "tar czf in.tgz brief.txt akte.docx && 7z a -bd -bso0 out.7z in.tgz && mv out.7z out",
       true, true},
  };
  std::string missing;
  for (const auto& c : cases) {
    const std::optional<std::string> packed = samples::Packed(c.tool, c.command, kFiles);
    if (!packed) missing += std::string(" ") + c.tool;
    if (!packed) continue;
    const samples::Extraction got = Extract(*packed);
    EXPECT_EQ(got.result.Kind, Outcome::Extracted) << c.command << ": " << got.result.Reason;
    EXPECT_EQ(Has(got.sink.AllRaw(), "Erika M\xC3\xBCller"), c.letter) << c.command;
    EXPECT_EQ(Has(got.sink.AllText(), "Otto Brenner"), c.document) << c.command;
  }
  if (!missing.empty()) GTEST_SKIP() << "packing tools not installed:" << missing;
}

TEST(ArchiveTest, WhatCannotBeReadIsNamedWithWhatItLeftUnread) {
  const auto sevenZip = [](const std::string& options) {
    return samples::Packed("7z", "7z a -bd -bso0 " + options + " out.7z brief.txt && mv out.7z out",
                           kFiles);
  };
  // 64 MB of one letter pack into some 64 KB: far past 100 times the file, and past the floor.
  const std::optional<std::string> bomb =
      samples::Packed("gzip", "head -c 64000000 /dev/zero | tr '\\0' x | gzip >out", kFiles);
  const struct {
    const char* kind;
    std::optional<std::string> bytes;
    std::string_view reason;
    Gap gap;
  } cases[] = {
      {"encrypted", sevenZip("-pgeheim"), extract::reason::kEncrypted, Gap::Unread},
      {"names encrypted", sevenZip("-pgeheim -mhe=on"), extract::reason::kEncrypted, Gap::Unread},
      {"method not built in", sevenZip("-m0=Deflate64"), extract::reason::kUnsupportedCompression,
       Gap::Unread},
      {"gzip bomb", bomb, "extraction limit: ratio 100:1", Gap::Unread},
  };
  for (const auto& c : cases) {
    if (!c.bytes) GTEST_SKIP() << "7z or gzip not installed";
    const samples::Extraction got = Extract(*c.bytes);
    EXPECT_EQ(got.result.Kind, Outcome::NotExtracted) << c.kind;
    EXPECT_EQ(got.result.Reason, c.reason) << c.kind;
    EXPECT_EQ(got.result.Missing, c.gap) << c.kind;
    EXPECT_LE(got.sink.Total(), std::max<std::size_t>(100 * c.bytes->size(), 1 << 20));
  }
}

}  // namespace
