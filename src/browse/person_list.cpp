#include <algorithm>

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
  std::vector<std::size_t> order(personCount + 1);
  std::vector<std::int32_t> counts(personCount + 1);
  for (std::size_t person = 1; person <= personCount; ++person) {
    order[person] = person;
    counts[person] = std::max(FieldCount(Persons[person].Hits, u"|"), 0);
  }

  PersonList.Clear();
  PersonList.ListIndex = -1;
  for (std::size_t remaining = personCount; remaining >= 1; --remaining) {
    std::int32_t best = -1;
    std::size_t chosen = 0;
    for (std::size_t position = 1; position <= remaining; ++position) {
      if (counts[order[position]] > best) {
        best = counts[order[position]];
        chosen = position;
      }
    }
    const std::u16string& name = Persons[order[chosen]].Name;
    PersonList.Items.push_back(name);
    if (name == selected) {
      PersonList.ListIndex = static_cast<std::int32_t>(PersonList.Items.size()) - 1;
      Mirror(ControlId::PersonList);
      PersonList_Click();  // does nothing while the tag is set
    }
    // The last entry fills the chosen slot, which is what reorders ties from pick to pick.
    order[chosen] = order[remaining];
  }
  Mirror(ControlId::PersonList);
  PersonList.Tag.clear();
  Mirror(ControlId::PersonList);
}
