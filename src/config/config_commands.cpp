#include "shell/main_form.h"

void MainForm::ExecConfigLine(const std::u16string& line) { (void)line; }
