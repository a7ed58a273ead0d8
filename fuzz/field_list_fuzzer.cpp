// Field lists: the one-pass split against GetField field by field, against FieldCount, and
// against itself on the rest after the first field. Any disagreement aborts.
#include <algorithm>
#include <cstdlib>

#include "fuzz_input.h"
#include "support/field_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the separator: the system's own, or the input's first characters.
  const std::u16string input = TextFromBytes(BytesOf(data + 1, size - 1));
  const std::size_t length =
      data[0] % 4 == 0 ? 0 : std::min<std::size_t>(data[0] % 4, input.size());
  const std::u16string separator = length == 0 ? u"|" : input.substr(0, length);
  const std::u16string list = input.substr(length);
  const std::vector<std::u16string_view> fields = SplitFields(list, separator);
  bool agree = GetField(list, 0, separator).empty();
  // GetField of every field, capped so that huge inputs stay fast (GetField is linear per call).
  for (std::size_t n = 1; n <= std::min<std::size_t>(fields.size() + 1, 64); ++n)
    agree &= GetField(list, static_cast<std::int32_t>(n), separator) ==
             (n <= fields.size() ? fields[n - 1] : u"");
  // A list that opens with the separator has FieldCount fields; any other has none.
  agree &= list.starts_with(separator) ? std::ssize(fields) == FieldCount(list, separator)
                                       : fields.empty();
  // What follows the first field is a list of the other fields.
  const std::u16string after = FieldsAfterFirst(list, separator);
  const std::vector<std::u16string_view> rest = SplitFields(after, separator);
  agree &= fields.empty() || std::equal(rest.begin(), rest.end(), fields.begin() + 1, fields.end());
  if (!agree) std::abort();
  return 0;
}
