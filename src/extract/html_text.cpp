#include "extract/html_text.h"

#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <string>

#include "extract/formats.h"

namespace extract::detail {

namespace {

// The parser is given large pieces that end between tokens: it loses text when a piece ends at
// some places in the markup.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

std::string_view View(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}

MarkupText& TextOf(void* parser) {
  return *static_cast<MarkupText*>(static_cast<htmlParserCtxtPtr>(parser)->_private);
}

void OnStart(void* parser, const xmlChar* name, const xmlChar**) {
  TextOf(parser).StartElement(View(name));
}

void OnEnd(void* parser, const xmlChar* name) {
  TextOf(parser).EndElement(View(name));
}

void OnCharacters(void* parser, const xmlChar* text, int length) {
  TextOf(parser).Characters(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

void OnScript(void*, const xmlChar*, int) {}

void Silent(void*, const char*, ...) {}

htmlSAXHandler MakeHandler() {
  htmlSAXHandler handler{};
  handler.startElement = OnStart;
  handler.endElement = OnEnd;
  handler.characters = OnCharacters;
  handler.ignorableWhitespace = OnCharacters;
  handler.cdataBlock = OnScript;
  return handler;
}

htmlParserCtxtPtr Parser(void* parser) {
  return static_cast<htmlParserCtxtPtr>(parser);
}

}  // namespace

HtmlText::HtmlText(Context& context, std::string_view charset)
    : context_(context), text_(context, Markup::Html), tokens_(context.limits().MaxToken) {
  static const bool initialised = [] {
    xmlInitParser();
    return true;
  }();
  static_cast<void>(initialised);
  static htmlSAXHandler handler = MakeHandler();
  // Bytes that do not fit the page's charset are no news on stderr (the setting is per thread).
  xmlSetGenericErrorFunc(nullptr, Silent);
  htmlParserCtxtPtr parser =
      htmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE);
  if (parser == nullptr) return;
  parser->_private = &text_;
  parser->userData = parser;  // the callbacks get the parser and find the text through it
  htmlCtxtUseOptions(parser, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                 HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED);
  if (!charset.empty()) {
    const std::string name(charset);
    if (xmlCharEncodingHandlerPtr encoding = xmlFindCharEncodingHandler(name.c_str())) {
      xmlSwitchToEncoding(parser, encoding);
    }
  }
  parser_ = parser;
}

HtmlText::~HtmlText() {
  if (parser_ != nullptr) {
    xmlFreeDoc(Parser(parser_)->myDoc);
    htmlFreeParserCtxt(Parser(parser_));
  }
}

void HtmlText::Feed(std::string_view bytes) {
  if (refused_ || context_.Stopped()) return;
  std::string_view ready;
  const bool whole = tokens_.Add(bytes, ready);
  pending_.append(ready);
  if (pending_.size() >= kChunkBytes || !whole) Parse(false);
  context_.Consumed(bytes.size());
  if (!whole) {
    refused_ = true;
    context_.Fail(TokenLimitReason(context_.limits().MaxToken));
  }
}

// What is pending was read before any limit, so it is parsed even after one: its text is kept.
void HtmlText::Parse(bool last) {
  std::string_view bytes = pending_;
  while (parser_ != nullptr && (!bytes.empty() || last)) {
    const std::size_t piece = std::min<std::size_t>(bytes.size(), INT_MAX / 2);
    const bool final = last && piece == bytes.size();
    htmlParseChunk(Parser(parser_), bytes.data(), static_cast<int>(piece), final ? 1 : 0);
    bytes.remove_prefix(piece);
    if (final) break;
  }
  pending_.clear();
}

void HtmlText::Finish() {
  if (!refused_ && !context_.Stopped()) pending_.append(tokens_.Rest());
  Parse(true);
  text_.Finish();
}

void ExtractHtml(Context& context, ByteSource& source) {
  HtmlText html(context, {});
  SequentialReader reader(source);
  std::string_view block;
  while (!context.Stopped() && reader.Next(block))
    html.Feed(block);
  if (reader.Failed()) context.Unread("read error");
  html.Finish();
}

}  // namespace extract::detail
