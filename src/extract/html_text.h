#pragma once

#include <string>
#include <string_view>

#include "extract/markup_text.h"
#include "extract/markup_tokens.h"

namespace extract::detail {

/// Reads one HTML page piece by piece into one text stream (see MarkupText), with named and
/// numeric character references decoded; forgiving about broken markup, like a browser.
class HtmlText {
 public:
  /// Writes into the context; charset is the one known from outside (a mail part), else empty.
  HtmlText(Context& context, std::string_view charset);
  ~HtmlText();
  HtmlText(const HtmlText&) = delete;
  HtmlText& operator=(const HtmlText&) = delete;

  /// Parses the next piece.
  void Feed(std::string_view bytes);
  /// Parses the end and ends the text stream.
  void Finish();

 private:
  void Parse(bool last);

  Context& context_;
  MarkupText text_;
  MarkupTokens tokens_;
  void* parser_ = nullptr;
  std::string pending_;
  bool refused_ = false;  // a token passed the limit: the rest is not parsed
};

}  // namespace extract::detail
