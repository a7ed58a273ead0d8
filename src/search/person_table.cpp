#include "shell/main_form.h"

void MainForm::AddPerson(const std::u16string& name, const std::u16string& terms) {
  if (!IsNewPerson(name)) return;
  Persons.push_back(PersonEntry{name, terms, u"|"});
  PersonList.Items.push_back(name);
  Mirror(ControlId::PersonList);
}

bool MainForm::IsNewPerson(const std::u16string& name) const {
  return FindPerson(name) == 0;
}

std::int32_t MainForm::FindPerson(const std::u16string& name) const {
  // An index rather than a comparison with every person: declaring n persons stays linear.
  return personIndex_.Find(Persons, name);
}
