#include <gtest/gtest.h>

#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::Zip;

std::string EncryptedOfficePackage() {
  std::string file(1024, '\0');
  file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  file[0x1E] = 9;  // 512-byte sectors; the directory in sector 0, right after the header
  const char name[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0";
  file.replace(512 + 128, sizeof name - 1, std::string(name, sizeof name - 1));
  return file;
}

/// A zip of a short member and a long one, cut to keep bytes; or with 30 bytes of the first
/// member's compressed data spoilt when keep is 0.
std::string DamagedZip(std::size_t keep) {
  std::string text;
  for (int i = 0; i < 3000; ++i)
    text += std::to_string(i * 7919) + " ";
  std::string zip = keep == 0 ? Zip({{"a.txt", text}, {"b.txt", "Zweiter Huber"}})
                              : Zip({{"a.txt", "Anfang Huber"}, {"b.txt", text}});
  if (keep > 0) return zip.substr(0, keep < zip.size() ? keep : zip.size() - 30);
  for (std::size_t i = 60; i < 90; ++i)
    zip[i] = static_cast<char>(zip[i] ^ 0x55);
  return zip;
}

TEST(ExtractDamageTest, DamagedAndEncryptedFilesGiveAReason) {
  // mail > message > message > message: the third nested message is one level too deep
  std::string deepMail = "From: a@b\nTo: c@d\nContent-Type: message/rfc822\n\n";
  for (int level = 0; level < 3; ++level)
    deepMail += "Subject: Ebene " + std::to_string(level) + "\nContent-Type: message/rfc822\n\n";
  const struct {
    const char* name;
    std::string bytes;
    std::string reason;
    std::string textSoFar = {}, rawSoFar = {};  // still given before the damage
  } cases[] = {
      {"zip cut before its directory", DamagedZip(SIZE_MAX), "damaged zip", "", "Anfang Huber"},
      {"zip cut in its second member", DamagedZip(400), "damaged zip", "", "Anfang Huber"},
      {"zip with a spoilt member", DamagedZip(0), "damaged zip", "", "Zweiter Huber"},
      {"zip that is only a signature", std::string("PK\x03\x04garbage", 11), "damaged zip"},
      {"zip member encrypted", Zip({{"geheim.txt", "Huber"}}, "zip:encryption=zipcrypt"),
       "encrypted"},
      {"Office package encrypted", EncryptedOfficePackage(), "encrypted"},
      {"OpenDocument encrypted",
       Zip({{"mimetype", "application/vnd.oasis.opendocument.text"},
            {"META-INF/manifest.xml", "<manifest:encryption-data/>"},
            {"content.xml", "\x8F\x01garbage"}}),
       "encrypted"},
      {"docx part that is not XML",
       Zip({{"[Content_Types].xml", "<Types/>"},
            {"word/document.xml", "<w:document><w:t>Vogel</w:t><w:p></w:document>"}}),
       "damaged XML", "Vogel"},
      {"PDF without body", "%PDF-1.4\nnothing else\n", "damaged PDF"},
      {"PDF with a password",
       samples::Pdf({"Geheim"}, "<< /Filter /Standard /V 1 /R 2 /P -4 /O <" + std::string(64, 'A') +
                                    "> /U <" + std::string(64, 'B') + "> >>"),
       "encrypted"},
      {"XML cut short", "<?xml version=\"1.0\"?><akte><name>Graf</name><name>Lu", "damaged XML",
       "Graf"},
      {"RTF cut short", "{\\rtf1\\ansi Herr Kaiser\\par {\\b fett", "damaged RTF", "Herr Kaiser"},
      {"attachment too deep", deepMail + "Subject: innen\n\nTief\n", "nesting deeper than 3",
       "Ebene 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted);
    EXPECT_EQ(extraction.result.Reason, c.reason);
    EXPECT_NE(extraction.sink.AllText().find(c.textSoFar), std::string::npos)
        << extraction.sink.AllText();
    EXPECT_NE(extraction.sink.AllRaw().find(c.rawSoFar), std::string::npos);
  }
}

TEST(ExtractDamageTest, CompoundFileWithoutEncryptionIsNoDocument) {
  std::string file = EncryptedOfficePackage();
  file.replace(512 + 128, 2, "W\0");
  EXPECT_EQ(Extract(file).result.Kind, Outcome::NotADocument);
}

TEST(ExtractDamageTest, NestingStopsAtTheThirdLevel) {
  std::string file = samples::Docx({{"Tief", "er"}});
  for (int depth = 1; depth <= 4; ++depth) {
    SCOPED_TRACE(depth);
    const samples::Extraction extraction = Extract(file);
    EXPECT_EQ(extraction.sink.AllText().find("Tiefer") != std::string::npos, depth <= 3);
    EXPECT_EQ(extraction.result.Reason, depth <= 3 ? "" : "nesting deeper than 3");
    // The innermost zip's members stay searchable raw even when it is not opened.
    EXPECT_EQ(extraction.sink.AllRaw().find("word/document.xml") != std::string::npos, depth > 1);
    file = Zip({{"level.zip", file}});
  }
}

TEST(ExtractDamageTest, LimitsNameTheBoundReached) {
  const std::string zip = Zip({{"a.txt", std::string(std::size_t{3} << 20, 'A')},
                               {"b.txt", std::string(std::size_t{3} << 20, 'B')}});
  const struct {
    extract::Limits limits;
    std::string reason;
    std::uint64_t total;
  } cases[] = {
      {{.MaxText = 2 << 20, .MaxRatio = 1e6}, "extraction limit: 2 MB of text", 2 << 20},
      {{.MaxText = 5000, .MaxRatio = 1e6}, "extraction limit: 5000 bytes of text", 5000},
      {{.MaxRatio = 0.5, .RatioFloor = 0}, "extraction limit: ratio 0.5:1", zip.size() / 2},
      {{.MaxRatio = 1, .RatioFloor = 4 << 20}, "extraction limit: ratio 1:1", 4 << 20},
      {{.MaxRatio = 1e6}, "", 6 << 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const samples::Extraction extraction = Extract(zip, c.limits);
    EXPECT_EQ(extraction.result.Reason, c.reason);
    EXPECT_EQ(extraction.sink.Total(), c.total);
  }
  // A PDF is held whole in memory: one byte over the bound and it is not read.
  const std::string pdf = samples::Pdf({"Weber"});
  EXPECT_EQ(Extract(pdf, {.MaxWholeBytes = pdf.size() - 1}).result.Reason, "too large to extract");
}

TEST(ExtractDamageTest, MarkupBombWithoutTextStops) {
  std::string markup = "<a>";
  for (int i = 0; i < 2000000; ++i)
    markup += "<b/>";
  const std::string zip = Zip({{"[Content_Types].xml", "<Types/>"}, {"x.xml", markup + "</a>"}});
  extract::Limits limits;
  limits.RatioFloor = 0;
  const samples::Extraction extraction = Extract(zip, limits);
  EXPECT_EQ(extraction.result.Reason, "extraction limit: ratio 100:1");
}

TEST(ExtractDamageTest, SinkStopsTheExtraction) {
  const std::string zip = Zip({{"a.txt", std::string(100000, 'A')}, {"b.txt", "B"}});
  samples::CollectingSink sink;
  sink.stopAfter = 10;
  extract::MemorySource source(zip);
  const extract::Result result = extract::ExtractText(source, sink);
  EXPECT_EQ(result.Reason, "stopped");
  EXPECT_LT(sink.Total(), 100000u);
  EXPECT_EQ(sink.AllRaw().find('B'), std::string::npos);
}

TEST(ExtractDamageTest, ReadFailureHalfwayIsNamed) {
  const std::string rtf = "{\\rtf1 Herr Kaiser\\par " + std::string(200000, 'x') + "}";
  const std::string mail = "From: a@b\nTo: c@d\n\nHerr Kaiser\n" + std::string(200000, 'x');
  for (const std::string& bytes : {rtf, mail}) {
    samples::ChoppySource source(bytes, 4096);
    source.failFrom = 100000;
    samples::CollectingSink sink;
    const extract::Result result = extract::ExtractText(source, sink);
    EXPECT_EQ(result.Reason, "read error");
    EXPECT_NE(sink.AllText().find("Herr Kaiser"), std::string::npos);
  }
}

TEST(ExtractDamageTest, ManyPartsAndPagesAreAllRead) {
  std::string mail = "From: a@b\nTo: c@d\nContent-Type: multipart/mixed; boundary=x\n\n";
  for (int part = 0; part < 500; ++part) {
    mail += "--x\nContent-Type: text/plain\n\nTeil " + std::to_string(part) + "\n";
  }
  mail += "--x--\n";
  std::vector<std::string> pages;
  for (int page = 0; page < 300; ++page)
    pages.push_back("Seite " + std::to_string(page));
  EXPECT_NE(Extract(mail).sink.AllText().find("Teil 499"), std::string::npos);
  EXPECT_NE(Extract(samples::Pdf(pages)).sink.AllText().find("Seite 299"), std::string::npos);
}

}  // namespace
