// Times one configuration's whole run in this process, alternately with no window and with the Qt
// window (on whatever platform Qt is given, offscreen by default), and prints the medians.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "shell/main_window.h"
#include "ui/qt/qt_window.h"

namespace {

/// A window that shows nothing and never has events to process.
class NoWindow : public Window {
 public:
  void controlChanged(ControlId) override {}
  void processPendingMessages() override {}
  MessageAnswer messageBox(const MessageRequest&) override { return MessageAnswer::Ok; }
  void closeWindow() override {}
};

RunOptions OptionsFor(const std::u16string& config) {
  return RunOptions{
      .ProgramPathOverride = config, .ConfigFileOverride = config, .Log = LogDestination::None};
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: fundort_window_bench CONFIG [REPETITIONS]\n");
    return 2;
  }
  const std::u16string config = platform::FromUtf8(argv[1]);
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  std::vector<double> without;
  std::vector<double> with;
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    {
      NoWindow window;
      MainWindow model(window, OptionsFor(config));
      const auto start = std::chrono::steady_clock::now();
      model.Load();
      model.OnStartTimer();
      without.push_back(Seconds(start));
    }
    {
      QtWindow window(OptionsFor(config));
      window.show();
      QApplication::processEvents();
      const auto start = std::chrono::steady_clock::now();
      window.driver().Load();
      window.model().OnStartTimer();
      QApplication::processEvents();
      with.push_back(Seconds(start));
    }
  }
  const double plain = Median(without);
  const double windowed = Median(with);
  std::printf("no window %.3f s, Qt window %.3f s, window adds %.1f %%\n", plain, windowed,
              (windowed / plain - 1) * 100);
  return 0;
}
