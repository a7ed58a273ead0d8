#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "extract/context.h"

namespace extract::detail {

/// Which markup's rules for whitespace and element boundaries apply.
enum class Markup { Xml, Html };

/// Turns the events of a markup parser into readable text: the runs of a paragraph joined, a line
/// break where a paragraph, cell or other block ends, and whitespace collapsed. In XML, whitespace
/// between tags that holds a line break is indentation and dropped (so pretty-printed runs still
/// join); in HTML every whitespace run reads as one space, and the text of scripts and styles is
/// dropped.
class MarkupText {
 public:
  /// Writes one text stream into the context.
  MarkupText(Context& context, Markup markup) : context_(context), markup_(markup) {}

  /// An element starts; name may carry a namespace prefix.
  void StartElement(std::string_view name);
  /// An element ends.
  void EndElement(std::string_view name);
  /// Character data, UTF-8, entities already decoded.
  void Characters(std::string_view utf8);
  /// Text that stands apart from the flow (an author attribute): a line of its own.
  void Aside(std::string_view utf8);
  /// Passes the rest on and ends the stream.
  void Finish();

 private:
  enum class Gap { None, Space, Break };
  enum class Role { Block, Inline, Space, Break, Skip };
  Role RoleOf(std::string_view name) const;
  void EndNode();
  void Raise(Gap gap) { gap_ = gap > gap_ ? gap : gap_; }
  void Flush();

  Context& context_;
  Markup markup_;
  std::string out_;
  Gap gap_ = Gap::None;
  bool started_ = false;       // something was written, so a gap counts
  bool nodeText_ = false;      // the current text node has non-blank characters
  bool nodeSpace_ = false;     // it has blanks not yet written
  bool nodeNewline_ = false;   // among them a line break
  std::vector<char> hasText_;  // per open element: text was written inside it
  std::size_t depth_ = 0;      // open elements, also beyond what hasText_ keeps
  std::size_t skipDepth_ = 0;  // depth at which a skipped element opened, 0 when none
};

}  // namespace extract::detail
