#include "extract/xml_text.h"

#include <climits>
#include <string>

#include "extract/charset.h"
#include "extract/formats.h"

namespace extract::detail {

XmlText::XmlText(Context& context, XmlAttributes attributes)
    : context_(context),
      attributes_(attributes),
      text_(context, Markup::Xml),
      tokens_(context.limits().MaxToken),
      parser_(XML_ParserCreate(nullptr)) {
  if (parser_ == nullptr) return;
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser_, OnCharacters);
  XML_SetUnknownEncodingHandler(parser_, OnUnknownEncoding, nullptr);
  XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlText::~XmlText() {
  if (parser_ != nullptr) XML_ParserFree(parser_);
}

bool XmlText::Feed(std::string_view bytes, bool last) {
  if (damaged_ || parser_ == nullptr) return false;
  std::string_view ready;
  const bool whole = tokens_.Add(bytes, ready);
  if (!Parse(ready, false) || !context_.Consumed(bytes.size())) return false;
  if (!whole) {
    damaged_ = true;
    context_.Fail(TokenLimitReason(context_.limits().MaxToken));
    return false;
  }
  return !last || Parse(tokens_.Rest(), true);
}

bool XmlText::Parse(std::string_view bytes, bool last) {
  while (!bytes.empty() || last) {
    const std::size_t piece = std::min<std::size_t>(bytes.size(), INT_MAX / 2);
    const bool final = last && piece == bytes.size();
    if (XML_Parse(parser_, bytes.data(), static_cast<int>(piece), final ? 1 : 0) != XML_STATUS_OK) {
      damaged_ = true;
      return false;
    }
    bytes.remove_prefix(piece);
    if (final) break;
  }
  return true;
}

namespace {

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The names a reader sees although they are attributes: a spreadsheet's sheets (Office Open XML
// "sheet", OpenDocument "table") and a presentation's slides (OpenDocument "page").
bool ShownName(std::string_view element, std::string_view attribute) {
  if (attribute != "name") return false;
  element = LocalName(element);
  return element == "sheet" || element == "table" || element == "page";
}

}  // namespace

void XmlText::OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
  auto& xml = *static_cast<XmlText*>(self);
  xml.text_.StartElement(name);
  for (; attributes[0] != nullptr; attributes += 2) {
    const std::string_view local = LocalName(attributes[0]);
    if (xml.attributes_ == XmlAttributes::All || local == "author" || ShownName(name, local)) {
      xml.text_.Aside(attributes[1]);
    }
  }
  if (xml.context_.Stopped()) XML_StopParser(xml.parser_, XML_FALSE);
}

void XmlText::OnEnd(void* self, const XML_Char* name) {
  static_cast<XmlText*>(self)->text_.EndElement(name);
}

void XmlText::OnCharacters(void* self, const XML_Char* text, int length) {
  auto& xml = *static_cast<XmlText*>(self);
  xml.text_.Characters(std::string_view(text, static_cast<std::size_t>(length)));
  if (xml.context_.Stopped()) XML_StopParser(xml.parser_, XML_FALSE);
}

// Single-byte charsets beyond the four expat knows (windows-1252, iso-8859-15, ...), by table.
int XmlText::OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const std::string utf8 = DecodeCharset(name, std::string_view(&c, 1));
    char32_t code = 0;
    const auto lead = static_cast<unsigned char>(utf8.empty() ? 0 : utf8[0]);
    if (utf8.empty()) {
      return XML_STATUS_ERROR;
    } else if (lead < 0x80) {
      code = lead;
    } else if (lead < 0xE0 && utf8.size() == 2) {
      code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[1]) & 0x3Fu);
    } else if (lead < 0xF0 && utf8.size() == 3) {
      code = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[1]) & 0x3Fu) << 6) |
             (static_cast<unsigned char>(utf8[2]) & 0x3Fu);
    } else {
      return XML_STATUS_ERROR;  // several bytes per character: not supported
    }
    info->map[byte] = code == 0xFFFD ? -1 : static_cast<int>(code);
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

void ExtractXml(Context& context, ByteSource& source) {
  XmlText xml(context, XmlAttributes::All);
  SequentialReader reader(source);
  std::string_view block;
  bool intact = true;
  while (intact && !context.Stopped() && reader.Next(block))
    intact = xml.Feed(block, false);
  if (intact && !context.Stopped()) intact = xml.Feed({}, true);
  if (reader.Failed()) context.Unread("read error");
  xml.Finish();
  if (!intact && !context.Stopped()) context.Fail("damaged XML");
}

}  // namespace extract::detail
