#include "shell/main_form.h"

void MainForm::PersonFundstellenAuswahl_Change() {}
void MainForm::PersonFundstellenAuswahl_Scroll() {}
void MainForm::Command1_Click() {}
void MainForm::Command2_Click() {}
