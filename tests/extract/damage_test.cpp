#include <gtest/gtest.h>

#include <tuple>

#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::Zip;
using namespace std::string_literals;

/// An Office compound file whose directory holds one stream of the given name.
std::string CompoundFile(std::string_view stream) {
  std::string file(1024, '\0');
  file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  file[0x1E] = 9;  // 512-byte sectors; the directory in sector 0, right after the header
  for (std::size_t i = 0; i < stream.size(); ++i)
    file[512 + 128 + 2 * i] = stream[i];  // the name in UTF-16LE
  return file;
}

TEST(ExtractDamageTest, DamagedAndEncryptedFilesGiveAReason) {
  std::string numbers;
  for (int i = 0; i < 3000; ++i)
    numbers += std::to_string(i * 7919) + " ";
  const std::string zip =
      Zip({{"a.txt", "Anfang Huber"}, {"b.txt", numbers}, {"c.txt", "Dritter Huber"}});
  std::string spoilt = zip;  // 30 bytes of the second member's data
  for (std::size_t i = 300; i < 330; ++i)
    spoilt[i] ^= 0x55;
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
      {"zip cut before its directory", zip.substr(0, zip.size() - 30), "damaged zip", "",
       "Dritter Huber"},
      {"zip cut in its second member", zip.substr(0, 400), "damaged zip", "", "Anfang Huber"},
      {"zip with a spoilt member", spoilt, "damaged zip", "", "Dritter Huber"},
      {"zip that is only a signature", std::string("PK\x03\x04garbage", 11), "damaged zip"},
      {"zip member encrypted", Zip({{"geheim.txt", "Huber"}}, "zip:encryption=zipcrypt"),
       "encrypted"},
      {"Office package encrypted", CompoundFile("EncryptedPackage"), "encrypted"},
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
      // Its members stay searchable raw although the fourth level is not opened.
      {"zip too deep",
       Zip({{"3.zip", Zip({{"2.zip", Zip({{"1.zip", samples::Docx({{"Tief"}})}})}})}}),
       "nesting deeper than 3", "", "word/document.xml"},
      {"attachment too deep", deepMail + "Subject: innen\n\nTief\n", "nesting deeper than 3",
       "Ebene 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted);
    EXPECT_EQ(extraction.result.Reason, c.reason);
    EXPECT_NE(extraction.sink.AllText().find(c.textSoFar), std::string::npos);
    EXPECT_NE(extraction.sink.AllRaw().find(c.rawSoFar), std::string::npos);
  }
}

TEST(ExtractDamageTest, LimitsNameTheBoundReached) {
  const std::string zip = Zip({{"a.txt", std::string(std::size_t{3} << 20, 'A')},
                               {"b.txt", std::string(std::size_t{3} << 20, 'B')}});
  // Eight megabytes of markup without text, compressed to a few kilobytes.
  const std::string bomb = Zip({{"[Content_Types].xml", "<Types/>"},
                                {"x.xml", "<a>" + std::string(8'000'000, ' ') + "</a>"}});
  const std::string pdf = samples::Pdf({"Weber"});
  // The bytes, the limits, the reason, and the bytes given to the sink (UINT64_MAX: any).
  const std::tuple<const std::string&, extract::Limits, std::string, std::uint64_t> cases[] = {
      {zip, {.MaxText = 2 << 20, .MaxRatio = 1e6}, "extraction limit: 2 MB of text", 2 << 20},
      {zip, {.MaxText = 5000, .MaxRatio = 1e6}, "extraction limit: 5000 bytes of text", 5000},
      {zip, {.MaxRatio = 0.5, .RatioFloor = 0}, "extraction limit: ratio 0.5:1", zip.size() / 2},
      {zip, {.MaxRatio = 1, .RatioFloor = 4 << 20}, "extraction limit: ratio 1:1", 4 << 20},
      {zip, {.MaxRatio = 1e6}, "", 6 << 20},
      {bomb, {.RatioFloor = 0}, "extraction limit: ratio 100:1", UINT64_MAX},
      // A PDF is held whole in memory: one byte over the bound and it is not read.
      {pdf, {.MaxWholeBytes = pdf.size() - 1}, "too large to extract", 0},
  };
  for (const auto& [bytes, limits, reason, total] : cases) {
    const samples::Extraction extraction = Extract(bytes, limits);
    EXPECT_EQ(extraction.result.Reason, reason);
    EXPECT_TRUE(total == UINT64_MAX || extraction.sink.Total() == total) << reason;
  }
}

// The sink asking to stop, or the source failing halfway, ends the extraction with the reason;
// what came before was given, nothing after.
TEST(ExtractDamageTest, AStopOrAReadFailureHalfwayIsNamed) {
  const std::string tail(200000, 'x');
  // The bytes, where reading fails, after how many bytes the sink stops, and the reason.
  const std::tuple<std::string, std::uint64_t, std::uint64_t, std::string> cases[] = {
      {Zip({{"a.txt", "Herr Kaiser" + tail}, {"b.txt", "B"}}), UINT64_MAX, 20, "stopped"},
      {"{\\rtf1 Herr Kaiser\\par " + tail + "}", 100000, UINT64_MAX, "read error"},
      {"From: a@b\nTo: c@d\n\nHerr Kaiser\n" + tail, 100000, UINT64_MAX, "read error"},
  };
  for (const auto& [bytes, failFrom, stopAfter, reason] : cases) {
    samples::ChoppySource source(bytes, 4096);
    source.failFrom = failFrom;
    samples::CollectingSink sink;
    sink.stopAfter = stopAfter;
    EXPECT_EQ(extract::ExtractText(source, sink).Reason, reason);
    EXPECT_NE((sink.AllText() + sink.AllRaw()).find("Herr Kaiser"), std::string::npos);
    EXPECT_LT(sink.Total(), 100000u);
    EXPECT_EQ(sink.AllRaw().find('B'), std::string::npos);
  }
}

TEST(ExtractDamageTest, RecognisedByContentOnly) {
  const std::string plain[] = {
      "PKW-Kennzeichen M\xC3\xBCller\n",    // text starting with PK
      "From the desk of Hans\nDear all\n",  // text starting with From
      "Subject: Besprechung\n\nText\n",     // one header-like line only
      "<Hans> hat geschrieben\n",           // angle bracket prose
      "Datei: %PDF-1.4 kaputt\n",           // text quoting a PDF header
      "\x7F\x45LF\0\0<html>"s,              // binary
      "",
  };
  for (const std::string& bytes : plain) {
    const samples::Extraction extraction = Extract(bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotADocument) << bytes;
    EXPECT_EQ(extraction.sink.Total(), 0u) << bytes;
    EXPECT_FALSE(extract::MayBeDocument(bytes)) << bytes;
  }
  // A compound file is a document only when it holds an encrypted package.
  EXPECT_EQ(Extract(CompoundFile("WordDocument")).result.Kind, Outcome::NotADocument);
}

}  // namespace
