// Field lists: the one-pass split against GetField field by field, and the other helpers against
// the rules that tie them together. Any disagreement aborts.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "support/field_list.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the separator: the system's own, or a short one from the input.
  const std::u16string input = TextFromBytes(BytesOf(data + 1, size - 1));
  std::u16string separator;
  std::u16string list;
  const unsigned choice = data[0] % 8;
  if (choice < 4) {
    separator = choice == 0 ? u"|" : choice == 1 ? u"::" : choice == 2 ? u" " : u"a|";
    list = input;
  } else {
    const std::size_t length = std::min<std::size_t>(choice - 3, input.size());
    separator = input.substr(0, length);
    list = input.substr(length);
  }
  if (separator.empty()) return 0;

  const std::vector<std::u16string_view> fields = SplitFields(list, separator);
  const std::int32_t count = FieldCount(list, separator);
  Check(count >= -1);
  // GetField of every field; capped so that huge inputs stay fast (GetField is linear per call).
  const std::size_t compared = std::min<std::size_t>(fields.size(), 64);
  for (std::size_t k = 0; k < compared; ++k)
    Check(fields[k] == GetField(list, static_cast<std::int32_t>(k + 1), separator));
  if (fields.size() <= 64) {
    Check(GetField(list, static_cast<std::int32_t>(fields.size() + 1), separator).empty());
  }
  Check(GetField(list, 0, separator).empty() && GetField(list, -1, separator).empty());
  // A list that opens with the separator has FieldCount fields; any other has none.
  const bool opens = list.size() >= separator.size() && list.starts_with(separator);
  Check(opens ? std::ssize(fields) == count : fields.empty());

  // FieldsAfterFirst cuts the first field and its separator, whatever the list looks like.
  if (list.size() >= separator.size()) {
    const std::u16string rest = FieldsAfterFirst(list, separator);
    const std::size_t cut = GetField(list, 1, separator).size() + separator.size();
    Check(rest == (cut >= list.size() ? std::u16string() : list.substr(cut)));
  }

  // Appending a field without the separator to a well-formed list adds exactly that field. Only
  // for one-character separators: longer ones can overlap a field's end ("::" after ":").
  if (separator.size() == 1 && (list.empty() || (opens && list.ends_with(separator)))) {
    const std::u16string field =
        input.substr(0, input.find(separator) == std::u16string::npos ? input.size() / 2
                                                                      : input.find(separator));
    const std::u16string appended = AppendField(list, field, separator);
    const std::vector<std::u16string_view> after = SplitFields(appended, separator);
    Check(after.size() == (list.empty() ? 0 : fields.size()) + 1 && after.back() == field);
  }

  return 0;
}
