#include "shell/main_form.h"

void MainForm::PersonList_Click() {}
void MainForm::SortList_Click() {}
void MainForm::SortPersonList() {}
