#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "extract/charset.h"
#include "extract/formats.h"

namespace extract::detail {

namespace {

constexpr std::size_t kMaxGroups = 1024;
constexpr std::size_t kFlushBytes = std::size_t{32} << 10;

// Groups whose content is not text: tables, pictures, embedded data, field instructions.
constexpr std::array<std::string_view, 20> kSkipped = {
    "colortbl",  "stylesheet",   "listtable", "listoverridetable", "revtbl",
    "rsidtbl",   "pict",         "objdata",   "themedata",         "colorschememapping",
    "datastore", "latentstyles", "generator", "xmlnstbl",          "fldinst",
    "filetbl",   "pgdsctbl",     "mmathPr",   "private",           "wgrffmtfilter"};

// The code page of a font's character set number.
int CodePageOfCharset(int charset) {
  switch (charset) {
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    default:
      return 0;  // the document's own code page
  }
}

std::string CharsetName(int codePage) {
  if (codePage == 1252) return "windows-1252";
  if (codePage == 10000) return "macintosh";
  return "CP" + std::to_string(codePage);
}

class RtfReader {
 public:
  explicit RtfReader(Context& context) : context_(context) { groups_.push_back({}); }

  void Feed(std::string_view bytes) {
    for (const char c : bytes) {
      if (context_.Stopped() || broken_) return;
      Step(c);
    }
  }

  void Finish() {
    if (state_ == State::Word || state_ == State::Parameter) EndWord('\0');
    Flush();
    context_.Separate();
    if (!ended_ && !context_.Stopped()) context_.Fail("damaged RTF");
  }

 private:
  enum class State { Text, Escape, Word, Parameter, Hex1, Hex2, Binary };
  enum class Place { Text, Skip, FontTable };
  struct Group {
    Place place = Place::Text;
    int skipCount = 1;  // characters that stand for a \u character in readers without Unicode
    int codePage = 0;   // 0: the document's
  };

  void Step(char c) {
    switch (state_) {
      case State::Text:
        Plain(c);
        break;
      case State::Escape:
        Escape(c);
        break;
      case State::Word:
        if (IsLetter(c) && word_.size() < 32) {
          word_.push_back(c);
        } else if ((c >= '0' && c <= '9') || c == '-') {
          state_ = State::Parameter;
          negative_ = c == '-';
          parameter_ = negative_ ? 0 : c - '0';
          hasParameter_ = !negative_;
        } else {
          EndWord(c);
        }
        break;
      case State::Parameter:
        if (c >= '0' && c <= '9') {
          if (parameter_ < 100000000) parameter_ = parameter_ * 10 + (c - '0');
          hasParameter_ = true;
        } else {
          EndWord(c);
        }
        break;
      case State::Hex1:
      case State::Hex2: {
        const int digit = HexValue(c);
        if (digit < 0) {
          state_ = State::Text;
          Plain(c);
          break;
        }
        hex_ = hex_ * 16 + digit;
        if (state_ == State::Hex2) {
          state_ = State::Text;
          Byte(static_cast<char>(hex_));
        } else {
          state_ = State::Hex2;
        }
        break;
      }
      case State::Binary:
        if (--binaryLeft_ <= 0) state_ = State::Text;
        break;
    }
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void Plain(char c) {
    switch (c) {
      case '\\':
        state_ = State::Escape;
        break;
      case '{':
        if (groups_.size() >= kMaxGroups) {
          context_.Fail("damaged RTF");
          broken_ = true;
          break;
        }
        groups_.push_back(groups_.back());
        skipLeft_ = 0;
        break;
      case '}':
        skipLeft_ = 0;
        if (groups_.size() > 1) groups_.pop_back();
        ended_ = groups_.size() == 1;
        break;
      case '\r':
      case '\n':
        break;
      default:
        Byte(c);
    }
  }

  void Escape(char c) {
    state_ = State::Text;
    if (IsLetter(c)) {
      word_.assign(1, c);
      hasParameter_ = negative_ = false;
      parameter_ = 0;
      state_ = State::Word;
      return;
    }
    switch (c) {
      case '\'':
        hex_ = 0;
        state_ = State::Hex1;
        break;
      case '*':
        groups_.back().place = Place::Skip;
        break;
      case '~':
        Character(U'\u00A0');
        break;
      case '_':
        Character(U'-');
        break;
      case '\r':
      case '\n':
        Break();
        break;
      case '-':  // an optional hyphen: nothing, so a hyphenated name reads whole
        break;
      default:
        Byte(c);  // \\ \{ \}
    }
  }

  void EndWord(char next) {
    state_ = State::Text;
    const int value = negative_ ? -parameter_ : parameter_;
    Word(word_, value);
    if (next != ' ' && next != '\0' && state_ == State::Text) Step(next);
  }

  void Word(const std::string& word, int value) {
    Group& group = groups_.back();
    if (word == "bin" && hasParameter_ && value > 0) {
      binaryLeft_ = value;
      state_ = State::Binary;
      return;
    }
    if (group.place == Place::FontTable) {
      if (word == "f") font_ = value;
      if (word == "fcharset" && fontCodePages_.size() < 4096) {
        fontCodePages_[font_] = CodePageOfCharset(value);
      }
      return;
    }
    if (word == "fonttbl") {
      group.place = Place::FontTable;
    } else if (std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end()) {
      group.place = Place::Skip;
    } else if (word == "ansicpg" && hasParameter_ && value > 0 && value < 100000) {
      codePage_ = value;
    } else if (word == "mac") {
      codePage_ = 10000;
    } else if (word == "f") {
      const auto found = fontCodePages_.find(value);
      group.codePage = found == fontCodePages_.end() ? 0 : found->second;
    } else if (word == "uc" && value >= 0) {
      group.skipCount = value;
    } else if (word == "u") {
      Unicode(value < 0 ? value + 65536 : value);
      skipLeft_ = group.skipCount;
    } else if (word == "par" || word == "line" || word == "sect" || word == "page" ||
               word == "row" || word == "cell") {
      Break();
    } else if (word == "tab") {
      Character(U' ');
    } else if (word == "lquote" || word == "rquote") {
      Character(word == "lquote" ? U'\u2018' : U'\u2019');
    }
  }

  void Unicode(int unit) {
    if (groups_.back().place != Place::Text) return;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
      return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_ != 0) {
      Character(
          static_cast<char32_t>(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00)));
    } else {
      Character(static_cast<char32_t>(unit));
    }
    highSurrogate_ = 0;
  }

  // A byte of text in the current code page.
  void Byte(char c) {
    if (skipLeft_ > 0) {
      --skipLeft_;
      return;
    }
    if (groups_.back().place != Place::Text) return;
    const int codePage = groups_.back().codePage != 0 ? groups_.back().codePage : codePage_;
    if (codePage != pendingCodePage_) ConvertPending();
    pendingCodePage_ = codePage;
    pending_.push_back(c);
  }

  void Character(char32_t code) {
    if (groups_.back().place != Place::Text) return;
    ConvertPending();
    AppendUtf8(code, out_);
  }

  void Break() {
    if (groups_.back().place != Place::Text) return;
    ConvertPending();
    out_.push_back('\n');
    if (out_.size() >= kFlushBytes) Flush();
  }

  void ConvertPending() {
    if (pending_.empty()) return;
    if (decoders_.size() >= 16 && decoders_.count(pendingCodePage_) == 0) pendingCodePage_ = 1252;
    std::unique_ptr<CharsetDecoder>& decoder = decoders_[pendingCodePage_];
    if (decoder == nullptr)
      decoder = std::make_unique<CharsetDecoder>(CharsetName(pendingCodePage_));
    decoder->Add(pending_, out_);
    pending_.clear();
    if (out_.size() >= kFlushBytes) Flush();
  }

  void Flush() {
    ConvertPending();
    context_.Text(out_);
    out_.clear();
  }

  Context& context_;
  std::vector<Group> groups_;
  State state_ = State::Text;
  std::string word_;
  int parameter_ = 0;
  bool negative_ = false;
  bool hasParameter_ = false;
  int hex_ = 0;
  int binaryLeft_ = 0;
  int skipLeft_ = 0;
  int highSurrogate_ = 0;
  int codePage_ = 1252;
  int font_ = 0;
  std::map<int, int> fontCodePages_;
  std::map<int, std::unique_ptr<CharsetDecoder>> decoders_;
  int pendingCodePage_ = 1252;
  std::string pending_;
  std::string out_;
  bool ended_ = false;
  bool broken_ = false;
};

}  // namespace

void ExtractRtf(Context& context, ByteSource& source) {
  RtfReader reader(context);
  SequentialReader input(source);
  std::string_view block;
  while (!context.Stopped() && input.Next(block)) {
    reader.Feed(block);
    context.Consumed(block.size());
  }
  if (input.Failed()) context.Unread("read error");
  reader.Finish();
}

}  // namespace extract::detail
