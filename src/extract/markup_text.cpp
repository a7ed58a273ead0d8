#include "extract/markup_text.h"

#include <algorithm>
#include <array>

#include "extract/charset.h"

namespace extract::detail {

namespace {

constexpr std::size_t kFlushBytes = std::size_t{32} << 10;
constexpr std::size_t kTrackedDepth = 4096;

// Elements of office packages that hold part of a paragraph's text: runs, fields, revisions.
constexpr std::array<std::string_view, 27> kXmlInline = {"r",
                                                         "t",
                                                         "delText",
                                                         "ins",
                                                         "del",
                                                         "moveFrom",
                                                         "moveTo",
                                                         "hyperlink",
                                                         "smartTag",
                                                         "fldSimple",
                                                         "sdt",
                                                         "sdtContent",
                                                         "customXml",
                                                         "proofErr",
                                                         "bookmarkStart",
                                                         "bookmarkEnd",
                                                         "span",
                                                         "a",
                                                         "bookmark",
                                                         "bookmark-start",
                                                         "bookmark-end",
                                                         "reference-mark",
                                                         "change-start",
                                                         "change-end",
                                                         "soft-page-break",
                                                         "ruby",
                                                         "rt"};

constexpr std::array<std::string_view, 28> kHtmlInline = {
    "a",   "abbr", "acronym", "b",    "bdi",    "bdo",    "big", "cite", "code", "data",
    "del", "dfn",  "em",      "font", "i",      "ins",    "kbd", "mark", "nobr", "q",
    "s",   "samp", "small",   "span", "strike", "strong", "sub", "sup"};
constexpr std::array<std::string_view, 6> kHtmlInlineMore = {"time", "tt",  "u",
                                                             "var",  "wbr", "label"};

template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

MarkupText::Role MarkupText::RoleOf(std::string_view name) const {
  if (markup_ == Markup::Html) {
    const std::string lower = LowerAscii(name);
    if (lower == "script" || lower == "style") return Role::Skip;
    if (lower == "br") return Role::Break;
    return Among(kHtmlInline, lower) || Among(kHtmlInlineMore, lower) ? Role::Inline : Role::Block;
  }
  const std::string_view local = LocalName(name);
  if (local == "br" || local == "cr" || local == "line-break") return Role::Break;
  if (local == "tab" || local == "s") return Role::Space;
  return Among(kXmlInline, local) ? Role::Inline : Role::Block;
}

void MarkupText::EndNode() {
  if (nodeSpace_ && (nodeText_ || markup_ == Markup::Html || !nodeNewline_)) Raise(Gap::Space);
  nodeText_ = nodeSpace_ = nodeNewline_ = false;
}

void MarkupText::StartElement(std::string_view name) {
  EndNode();
  ++depth_;
  if (depth_ <= kTrackedDepth) hasText_.push_back(0);
  if (skipDepth_ != 0) return;
  switch (RoleOf(name)) {
    case Role::Skip:
      skipDepth_ = depth_;
      break;
    case Role::Break:
      Raise(Gap::Break);
      break;
    case Role::Space:
      Raise(Gap::Space);
      break;
    case Role::Block:
      if (markup_ == Markup::Html) Raise(Gap::Break);
      break;
    case Role::Inline:
      break;
  }
}

void MarkupText::EndElement(std::string_view name) {
  EndNode();
  if (depth_ == 0) return;
  bool text = false;
  if (depth_ <= kTrackedDepth) {
    text = hasText_.back() != 0;
    hasText_.pop_back();
  }
  if (skipDepth_ == depth_) skipDepth_ = 0;
  --depth_;
  if (skipDepth_ != 0) return;
  if (text && !hasText_.empty()) hasText_.back() = 1;
  if (RoleOf(name) == Role::Block && (text || markup_ == Markup::Html)) Raise(Gap::Break);
}

void MarkupText::Characters(std::string_view utf8) {
  if (skipDepth_ != 0) return;
  std::size_t at = 0;
  while (at < utf8.size()) {
    if (IsBlank(utf8[at])) {
      nodeSpace_ = true;
      nodeNewline_ = nodeNewline_ || utf8[at] == '\n';
      ++at;
      continue;
    }
    std::size_t end = at + 1;
    while (end < utf8.size() && !IsBlank(utf8[end]))
      ++end;
    if (nodeSpace_) Raise(Gap::Space);
    nodeSpace_ = false;
    nodeText_ = true;
    if (gap_ != Gap::None && started_) out_.push_back(gap_ == Gap::Break ? '\n' : ' ');
    gap_ = Gap::None;
    started_ = true;
    out_.append(utf8.substr(at, end - at));
    at = end;
  }
  if (!hasText_.empty() && nodeText_) hasText_.back() = 1;
  if (out_.size() >= kFlushBytes) Flush();
}

void MarkupText::Aside(std::string_view utf8) {
  EndNode();
  Raise(Gap::Break);
  Characters(utf8);
  EndNode();
  Raise(Gap::Break);
}

void MarkupText::Flush() {
  context_.Text(out_);
  out_.clear();
}

void MarkupText::Finish() {
  Flush();
  context_.Separate();
}

}  // namespace extract::detail
