// Compressed files and archives other than zip, packed at test time by the system's own tools.
#include <gtest/gtest.h>
#include <zlib.h>

#include "extract/reasons.h"
#include "extract/samples.h"

namespace {

using extract::Gap;
using extract::Outcome;
using samples::Extract;
using samples::Packed;

const std::string kLetter = "Sehr geehrte Frau Erika M\xC3\xBCller,\nanbei die Akte.\n";
const std::string kLetterName = "Erika M\xC3\xBCller";
const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"brief.txt", kLetter},
    {"akte.docx", samples::Docx({{"Herr Otto ", "Brenner"}})},
};

enum Holds { Letter = 1, Document = 2, Both = 3 };

TEST(ArchiveTest, EveryContainerKindGivesItsMembersRawAndAsDocuments) {
  const struct {
    const char* kind;
    const char* tool;
    const char* command;
    Holds holds;
  } cases[] = {
      {"tar", "tar", "tar cf out brief.txt akte.docx", Both},
      {"tar.gz", "gzip", "tar czf out brief.txt akte.docx", Both},
      {"tar.bz2", "bzip2", "tar cjf out brief.txt akte.docx", Both},
      {"tar.xz", "xz", "tar cJf out brief.txt akte.docx", Both},
      {"tar.zst", "zstd", "tar --zstd -cf out brief.txt akte.docx", Both},
      {"7z", "7z", "7z a -bd -bso0 out.7z brief.txt akte.docx && mv out.7z out", Both},
      {"cpio", "cpio", "printf 'brief.txt\\nakte.docx\\n' | cpio -o --quiet -H newc > out", Both},
      {"iso", "genisoimage", "genisoimage -quiet -R -J -o out brief.txt akte.docx", Both},
      // A single compressed file is its one member: the letter searched raw, the docx as text.
      {"gzip letter", "gzip", "gzip -c brief.txt > out", Letter},
      {"gzip docx", "gzip", "gzip -c akte.docx > out", Document},
      {"bzip2 docx", "bzip2", "bzip2 -c akte.docx > out", Document},
      {"xz docx", "xz", "xz -c akte.docx > out", Document},
      {"lzma docx", "xz", "xz --format=lzma -c akte.docx > out", Document},
      {"zstd docx", "zstd", "zstd -q -c akte.docx > out", Document},
      // Nested: a tar.gz inside a 7z, two levels below the file.
      {"7z of tar.gz", "7z",
       "tar czf inner.tgz brief.txt akte.docx && 7z a -bd -bso0 out.7z inner.tgz && mv out.7z out",
       Both},
  };
  std::vector<std::string> skipped;
  for (const auto& c : cases) {
    const std::optional<std::string> packed = Packed(c.tool, c.command, kFiles);
    if (!packed) {
      skipped.push_back(c.kind);
      continue;
    }
    const samples::Extraction got = Extract(*packed);
    EXPECT_EQ(got.result.Kind, Outcome::Extracted) << c.kind << ": " << got.result.Reason;
    EXPECT_EQ(got.sink.AllRaw().find(kLetterName) != std::string::npos, (c.holds & Letter) != 0)
        << c.kind;
    EXPECT_EQ(got.sink.AllText().find("Otto Brenner") != std::string::npos,
              (c.holds & Document) != 0)
        << c.kind;
  }
  if (!skipped.empty()) {
    std::string kinds;
    for (const std::string& kind : skipped)
      kinds += " " + kind;
    GTEST_SKIP() << "packing tool not installed for:" << kinds;
  }
}

TEST(ArchiveTest, WhatCannotBeReadIsNamedAndOnlyUnreadContentCounts) {
  const auto sevenZip = [](const std::string& options) {
    return Packed("7z", "7z a -bd -bso0 " + options + " out.7z brief.txt && mv out.7z out", kFiles);
  };
  // The library gives a truncated stream's unpacked bytes in blocks of 64 KB, so a member that
  // does not pack stands between the letter and the cut.
  std::string noise;
  for (std::uint32_t seed = 1; noise.size() < (std::size_t{256} << 10);) {
    seed = seed * 1103515245u + 12345u;
    noise += static_cast<char>(seed >> 24);
  }
  std::vector<std::pair<std::string, std::string>> files = kFiles;
  files.emplace_back("noise.bin", noise);
  const std::optional<std::string> tarGz =
      Packed("gzip", "tar czf out brief.txt noise.bin akte.docx", files);
  const struct {
    const char* kind;
    std::optional<std::string> bytes;
    std::string_view reason;
    Gap gap;
    bool letterFound;
  } cases[] = {
      {"encrypted 7z", sevenZip("-pgeheim"), extract::reason::kEncrypted, Gap::Unread, false},
      {"7z with encrypted names", sevenZip("-pgeheim -mhe=on"), extract::reason::kEncrypted,
       Gap::Unread, false},
      {"7z by a method not built in", sevenZip("-m0=Deflate64"),
       extract::reason::kUnsupportedCompression, Gap::Unread, false},
      // The letter, the first member, is read before the cut.
      {"truncated tar.gz", tarGz ? std::optional(tarGz->substr(0, tarGz->size() / 2)) : tarGz,
       extract::reason::kDamaged, Gap::Damaged, true},
  };
  for (const auto& c : cases) {
    if (!c.bytes) GTEST_SKIP() << "7z or gzip not installed";
    const samples::Extraction got = Extract(*c.bytes);
    EXPECT_EQ(got.result.Kind, Outcome::NotExtracted) << c.kind;
    EXPECT_EQ(got.result.Reason, c.reason) << c.kind;
    EXPECT_EQ(got.result.Missing, c.gap) << c.kind;
    EXPECT_EQ(got.sink.AllRaw().find(kLetterName) != std::string::npos, c.letterFound) << c.kind;
  }
}

// gzip bytes of data, made with zlib.
std::string Gzip(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

TEST(ArchiveTest, AGzipBombIsStoppedByTheRatioLimit) {
  // 64 MB of one letter pack into some 64 KB: far past 100 times the file, and past the floor.
  const std::string bomb = Gzip(std::string(std::size_t{64} << 20, 'x'));
  ASSERT_LT(bomb.size(), std::size_t{200} << 10);
  const samples::Extraction got = Extract(bomb);
  EXPECT_EQ(got.result.Kind, Outcome::NotExtracted);
  EXPECT_EQ(got.result.Reason, "extraction limit: ratio 100:1");
  EXPECT_EQ(got.result.Missing, Gap::Unread);
  EXPECT_LE(got.sink.Total(), std::max<std::uint64_t>(100 * bomb.size(), 1 << 20));
}

TEST(ArchiveTest, TextThatOnlyStartsLikeAnArchiveIsNoDocument) {
  for (const std::string text : {"BZh9 ist kein Archiv", "070701 Aktenzeichen", "7z Liste"}) {
    EXPECT_EQ(Extract(text).result.Kind, Outcome::NotADocument) << text;
  }
}

}  // namespace
