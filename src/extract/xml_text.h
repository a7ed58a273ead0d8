#pragma once

#include <expat.h>

#include <string_view>

#include "extract/markup_text.h"
#include "extract/markup_tokens.h"

namespace extract::detail {

/// Which attribute values count as text.
enum class XmlAttributes {
  Authors,  ///< authors (revisions, comments), sheet and slide names: the parts of office packages
  All,      ///< every value: XML files, where data often sits in attributes
};

/// Reads one XML document piece by piece into one text stream (see MarkupText). Entities are
/// decoded; nothing outside the document is ever loaded.
class XmlText {
 public:
  /// Writes into the context.
  XmlText(Context& context, XmlAttributes attributes);
  ~XmlText();
  XmlText(const XmlText&) = delete;
  XmlText& operator=(const XmlText&) = delete;

  /// Parses the next piece; last marks the end. False once the document proved damaged, held a
  /// token longer than the limit (the reason is recorded) or the extraction stopped.
  bool Feed(std::string_view bytes, bool last);
  /// Ends the text stream.
  void Finish() { text_.Finish(); }

 private:
  bool Parse(std::string_view bytes, bool last);
  static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes);
  static void OnEnd(void* self, const XML_Char* name);
  static void OnCharacters(void* self, const XML_Char* text, int length);
  static int OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info);

  Context& context_;
  XmlAttributes attributes_;
  MarkupText text_;
  MarkupTokens tokens_;
  XML_Parser parser_;
  bool damaged_ = false;
};

}  // namespace extract::detail
