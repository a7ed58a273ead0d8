#include "shell/main_form.h"
#include "support/text_code.h"

void MainForm::AddPerson(const std::u16string& name, const std::u16string& terms) {
  if (!IsNewPerson(name)) return;
  // A person no term can fail for is "found" in every file read; the coverage says so. An empty
  // field is an empty term, which stands in every file that is not empty.
  const bool noTerms = FieldCount(terms, u"|") <= 0;
  const bool emptyTerm = !noTerms && terms.find(u"||") != std::u16string::npos;
  if (noTerms || emptyTerm) {
    coverage_.PersonsWithoutTerms.Add([&] { return TermlessPerson{name, configLine_, emptyTerm}; });
  }
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
