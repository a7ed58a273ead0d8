#include "extract/markup_tokens.h"

namespace extract::detail {

namespace {

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Keeps the last two characters of a comment, instruction or section, to see where it ends.
void Remember(std::string& tail, unsigned char c) {
  if (tail.size() == 2) tail.erase(0, 1);
  tail.push_back(static_cast<char>(c));
}

}  // namespace

void MarkupTokens::SetWidth(std::string_view bytes) {
  width_ = 1;
  if (bytes.size() < 2) return;
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  const auto b1 = static_cast<unsigned char>(bytes[1]);
  if ((b0 == 0xFF && b1 == 0xFE) || (b0 == '<' && b1 == 0)) {
    width_ = 2;
  } else if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0 && b1 == '<')) {
    width_ = 2;
    bigEndian_ = true;
  }
}

void MarkupTokens::Step(unsigned char c, std::size_t unitStart) {
  const auto open = [&] {
    cut_ = unitStart;
    cutInBlock_ = true;
    head_.clear();
    state_ = State::Open;
  };
  switch (state_) {
    case State::Text:
      if (c == '<') {
        open();
      } else if (c == '&') {
        cut_ = unitStart;
        cutInBlock_ = true;
        state_ = State::Reference;
      }
      break;
    case State::Reference:
      if (c == '<') {
        open();
      } else if (c == ';' || c == '&' || IsBlank(c)) {
        state_ = State::Text;  // a new reference after "&" starts with the next character
        if (c == '&') Step(c, unitStart);
      }
      break;
    case State::Open:
      head_.push_back(static_cast<char>(c));
      tail_.clear();
      if (head_ == "!--") {
        state_ = State::Comment;
      } else if (head_ == "?") {
        state_ = State::Instruction;
      } else if (head_ == "![") {
        state_ = State::Section;
      } else if (c == '>') {
        state_ = State::Text;
      } else if (c == '<') {
        open();
      } else if (c == '"' || c == '\'') {
        quote_ = static_cast<char>(c);
        state_ = State::Quoted;
      } else if (head_ != "!" && head_ != "!-") {
        state_ = State::Tag;
      }
      break;
    case State::Tag:
      if (c == '>') {
        state_ = State::Text;
      } else if (c == '"' || c == '\'') {
        quote_ = static_cast<char>(c);
        state_ = State::Quoted;
      } else if (c == '<') {
        open();  // a declaration inside a document type, or broken markup
      }
      break;
    case State::Quoted:
      if (c == static_cast<unsigned char>(quote_)) state_ = State::Tag;
      break;
    case State::Comment:
      if (c == '>' && tail_ == "--") state_ = State::Text;
      Remember(tail_, c);
      break;
    case State::Instruction:
      if (c == '>' && !tail_.empty() && tail_.back() == '?') state_ = State::Text;
      Remember(tail_, c);
      break;
    case State::Section:
      if (c == '>' && tail_ == "]]") state_ = State::Text;
      Remember(tail_, c);
      break;
  }
}

bool MarkupTokens::Add(std::string_view bytes, std::string_view& ready) {
  ready = {};
  if (refused_) return false;
  if (width_ == 0) SetWidth(bytes);
  cutInBlock_ = false;
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    auto c = static_cast<unsigned char>(bytes[at]);
    std::size_t unitStart = at;
    if (width_ == 2) {
      if (unitBytes_ == 0) {
        first_ = c;
        unitBytes_ = 1;
        continue;
      }
      unitBytes_ = 0;
      unitStart = at == 0 ? 0 : at - 1;  // a unit begun in the block before counts from here
      const unsigned char high = bigEndian_ ? first_ : c;
      const unsigned char low = bigEndian_ ? c : first_;
      c = high == 0 ? low : 0x80;  // beyond ASCII: never markup
    }
    Step(c, unitStart);
  }
  // Text and the inside of a character data section may be cut anywhere; a token is kept whole.
  std::size_t cut = bytes.size();
  if (state_ != State::Text && state_ != State::Section) cut = cutInBlock_ ? cut_ : 0;
  if (kept_.empty()) {
    ready = bytes.substr(0, cut);
  } else if (cut > 0) {
    released_ = std::move(kept_);
    released_.append(bytes.substr(0, cut));
    kept_.clear();
    ready = released_;
  }
  kept_.append(bytes.substr(cut));
  if (kept_.size() > maxToken_) {
    refused_ = true;
    std::string().swap(kept_);
    return false;
  }
  return true;
}

}  // namespace extract::detail
