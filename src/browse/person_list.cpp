#include <algorithm>

#include "browse/pick_order.h"
#include "shell/main_form.h"
#include "support/text_code.h"

namespace {

/// The list's tag while SortPersonList rebuilds it; the click handler ignores selections then.
constexpr std::u16string_view kRebuilding = u"nochange";

}  // namespace

void MainForm::PersonList_Click() {
  if (!PersonList.Tag.empty()) return;
  if (PersonList.ListIndex < 0 ||
      static_cast<std::size_t>(PersonList.ListIndex) >= PersonList.Items.size()) {
    return;
  }
  ShowPerson(FindPerson(PersonList.SelectedText()));
}

void MainForm::SortList_Click() {
  SortPersonList();
}

void MainForm::SortPersonList() {
  PersonList.Tag = kRebuilding;
  const std::u16string selected = PersonList.SelectedText();

  // Every sort starts from declaration order with the counts of this moment.
  const std::size_t personCount = Persons.empty() ? 0 : Persons.size() - 1;
  std::vector<std::int32_t> counts(personCount);
  for (std::size_t person = 1; person <= personCount; ++person)
    counts[person - 1] = std::max(FieldCount(Persons[person].Hits, u"|"), 0);

  PersonList.Clear();
  PersonList.ListIndex = -1;
  // Most hits first; ties come in the order of repeated picks that refill the picked slot with
  // the last entry, so equal counts do not keep their declaration order.
  for (const std::size_t index : PickOrder(counts)) {
    const std::u16string& name = Persons[index + 1].Name;
    PersonList.Items.push_back(name);
    if (name == selected) {
      PersonList.ListIndex = static_cast<std::int32_t>(PersonList.Items.size()) - 1;
      Mirror(ControlId::PersonList);
      PersonList_Click();  // does nothing while the tag is set
    }
  }
  Mirror(ControlId::PersonList);
  PersonList.Tag.clear();
  Mirror(ControlId::PersonList);
}
