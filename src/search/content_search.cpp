#include "shell/main_form.h"

void MainForm::SearchFiles() {
  if (StopRequested) return;
  SetStatus(u"durchsuche Dateien...");
  SetStatus(u"fertig");
}
