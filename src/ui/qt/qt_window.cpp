#include "ui/qt/qt_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString ToQString(std::u16string_view text) {
  return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

/// Verdana 8.25 pt as designed; where it is missing, the system's sans-serif in that size.
QFont WindowFont() {
  QFont font;
  font.setFamily(QFontDatabase::hasFamily(QStringLiteral("Verdana"))
                     ? QStringLiteral("Verdana")
                     : QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

std::size_t LayoutIndex(std::u16string_view name) {
  for (std::size_t index = 0; index < kWindowLayout.size(); ++index) {
    if (kWindowLayout[index].Name == name) return index;
  }
  return kWindowLayout.size();
}

}  // namespace

QtWindow::QtWindow(MainFormOptions options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      form_(*this, std::move(options)),
      font_(WindowFont()) {
  scale_ = logicalDpiX() / 96.0;
  setFont(font_);
  setFixedSize(pixels(kWindowWidthTwips), pixels(kWindowHeightTwips));
  buildControls();
  connectInput();

  startTimer_.setSingleShot(true);
  connect(&startTimer_, &QTimer::timeout, this, &QtWindow::runStartTimer);

  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

QtWindow::~QtWindow() {
  tearingDown_ = true;
  startTimer_.stop();
  // Widgets may still signal while they are destroyed (a list losing its selection); they go now,
  // while the form they report to still exists.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

int QtWindow::pixels(int twips) const {
  return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixelAt96Dpi));
}

QWidget* QtWindow::control(std::u16string_view name) const {
  const std::size_t index = LayoutIndex(name);
  return index < widgets_.size() ? widgets_[index] : nullptr;
}

void QtWindow::buildControls() {
  QList<QWidget*> tabOrder;
  for (std::size_t index = 0; index < kWindowLayout.size(); ++index) {
    const ControlLayout& layout = kWindowLayout[index];
    QWidget* parent = this;
    if (layout.Parent == Container::PersonFrame) parent = personFrame_;
    if (layout.Parent == Container::processBar_Parent) parent = progressInside_;
    const QString text = ToQString(layout.Text);

    QWidget* widget = nullptr;
    switch (layout.Kind) {
      case ControlKind::PictureBox: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        widget = frame;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
      }
      case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false);
        list->setUniformItemSizes(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget = list;
        break;
      }
      case ControlKind::Frame:
        personFrame_ = new QGroupBox(text, parent);
        // The caption sits on the frame's line, so the controls keep their designed places
        // below it whatever the style would reserve for a title.
        personFrame_->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 6px; padding: 0px 2px; }"));
        widget = personFrame_;
        break;
      case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(parent);
        box->setReadOnly(true);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // A path has few blanks: it breaks anywhere rather than running out of sight.
        box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setTabChangesFocus(true);
        widget = box;
        break;
      }
      case ControlKind::CommandButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        widget = button;
        break;
      }
      case ControlKind::HScrollBar: {
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        bar->setRange(1, 1);
        bar->setValue(1);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        // While the thumb is dragged only its position moves; the value follows on release, so
        // a drag reports scroll events and its end one change.
        bar->setTracking(false);
        bar->setFocusPolicy(Qt::StrongFocus);
        widget = bar;
        break;
      }
    }

    widget->setObjectName(ToQString(layout.Name));
    // Set on each control: a style sheet on the frame would otherwise give its children the
    // application's font instead of the window's.
    widget->setFont(font_);
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : pixels(layout.Width);
    widget->setGeometry(pixels(layout.Left), pixels(layout.Top), width, pixels(layout.Height));
    widgets_[index] = widget;
    if (widget->focusPolicy() & Qt::TabFocus) tabOrder.append(widget);

    if (layout.Kind == ControlKind::PictureBox) {
      progressFrame_ = static_cast<QFrame*>(widget);
      progressInside_ = new QWidget(progressFrame_);
      progressInside_->setGeometry(progressFrame_->contentsRect());
    }
  }

  progressBar_ = static_cast<QLabel*>(control(u"processBar"));
  status_ = static_cast<QLabel*>(control(u"Status"));
  folderCount_ = static_cast<QLabel*>(control(u"anzFolders"));
  fileCount_ = static_cast<QLabel*>(control(u"anzFiles"));
  totalSize_ = static_cast<QLabel*>(control(u"allSize"));
  personList_ = static_cast<QListWidget*>(control(u"PersonList"));
  hitCount_ = static_cast<QLabel*>(control(u"PersonHäufigkeit"));
  hitNumber_ = static_cast<QLabel*>(control(u"PersonFundstelle"));
  hitPath_ = static_cast<QPlainTextEdit*>(control(u"PersonFundstelleVerzeichnis"));
  selector_ = static_cast<QScrollBar*>(control(u"PersonFundstellenAuswahl"));
  sortList_ = static_cast<QPushButton*>(control(u"SortList"));
  command1_ = static_cast<QPushButton*>(control(u"Command1"));
  command2_ = static_cast<QPushButton*>(control(u"Command2"));

  progressBar_->setAutoFillBackground(true);
  QPalette palette = progressBar_->palette();
  palette.setColor(QPalette::Window, QColor(0, 0, 255));
  progressBar_->setPalette(palette);

  for (qsizetype index = 1; index < tabOrder.size(); ++index) {
    setTabOrder(tabOrder[index - 1], tabOrder[index]);
  }
}

void QtWindow::connectInput() {
  selector_->installEventFilter(this);
  connect(personList_, &QListWidget::itemSelectionChanged, this, &QtWindow::onListSelectionChanged);
  connect(selector_, &QScrollBar::valueChanged, this, &QtWindow::onSelectorValueChanged);
  connect(selector_, &QScrollBar::sliderMoved, this, &QtWindow::onSelectorMoved);
  connect(sortList_, &QPushButton::clicked, this, [this] {
    if (takesInput()) form_.SortList_Click();
  });
  connect(command1_, &QPushButton::clicked, this, [this] {
    if (takesInput()) form_.Command1_Click();
  });
  connect(command2_, &QPushButton::clicked, this, [this] {
    if (takesInput()) form_.Command2_Click();
  });
}

// ---- From the model to the widgets. ----

void QtWindow::controlChanged(ControlId control) {
  if (closed_ || tearingDown_) return;
  switch (control) {
    case ControlId::Caption:
      setWindowTitle(ToQString(form_.Caption.Caption));
      break;
    case ControlId::processBar:
    case ControlId::Status:
    case ControlId::anzFolders:
    case ControlId::anzFiles:
    case ControlId::allSize:
      deferStatus(control);
      break;
    case ControlId::PersonList:
      mirrorPersonList();
      break;
    case ControlId::PersonFrame: {
      // A name is shown as written; "&" would otherwise become a keyboard shortcut.
      QString title = ToQString(form_.PersonFrame.Caption);
      title.replace(QLatin1Char('&'), QStringLiteral("&&"));
      personFrame_->setTitle(title);
      break;
    }
    case ControlId::PersonHäufigkeit:
      mirrorCaption(hitCount_, form_.PersonHäufigkeit);
      break;
    case ControlId::PersonFundstelle:
      mirrorCaption(hitNumber_, form_.PersonFundstelle);
      break;
    case ControlId::PersonFundstelleVerzeichnis: {
      const QString text = ToQString(form_.PersonFundstelleVerzeichnis.Text);
      if (hitPath_->toPlainText() != text) hitPath_->setPlainText(text);
      break;
    }
    case ControlId::PersonFundstellenAuswahl:
      mirrorSelector();
      break;
    case ControlId::Command1:
      mirrorButton(command1_, form_.Command1);
      break;
    case ControlId::Command2:
      mirrorButton(command2_, form_.Command2);
      break;
    case ControlId::SortList:
      mirrorButton(sortList_, form_.SortList);
      break;
    case ControlId::StartTimer:
      mirrorStartTimer();
      break;
  }
}

void QtWindow::deferStatus(ControlId control) {
  // The run changes these for every file; the user sees them only when events are processed,
  // so they are copied into their widgets then, once, rather than at every change.
  const bool nothingPending = pendingStatus_ == 0;
  pendingStatus_ |= 1U << static_cast<unsigned>(control);
  // An idle window (the run over) catches up at the next turn of the event loop.
  if (nothingPending) {
    QMetaObject::invokeMethod(this, &QtWindow::flushStatus, Qt::QueuedConnection);
  }
}

void QtWindow::flushStatus() {
  const unsigned pending = pendingStatus_;
  pendingStatus_ = 0;
  if (pending == 0 || closed_ || tearingDown_) return;
  const auto has = [pending](ControlId control) {
    return (pending & (1U << static_cast<unsigned>(control))) != 0;
  };
  if (has(ControlId::processBar)) mirrorProgressBar();
  if (has(ControlId::Status)) mirrorCaption(status_, form_.Status);
  if (has(ControlId::anzFolders)) mirrorCaption(folderCount_, form_.anzFolders);
  if (has(ControlId::anzFiles)) mirrorCaption(fileCount_, form_.anzFiles);
  if (has(ControlId::allSize)) mirrorCaption(totalSize_, form_.allSize);
}

void QtWindow::mirrorCaption(QLabel* label, const LabelControl& model) {
  label->setText(ToQString(model.Caption));
}

void QtWindow::mirrorProgressBar() {
  // The model's width is in twips of the frame's inside; scaling by the inside's real width
  // makes a full bar fill it exactly at any resolution. Wider bars are clipped by the inside.
  const int inside = progressInside_->width();
  const double pixelWidth = static_cast<double>(form_.processBar.Width) / kProgressInnerWidthTwips *
                            static_cast<double>(inside);
  const int width =
      pixelWidth > 0
          ? static_cast<int>(std::lround(std::min(pixelWidth, static_cast<double>(inside))))
          : 0;
  progressBar_->resize(width, progressBar_->height());
}

void QtWindow::mirrorPersonList() {
  const QSignalBlocker blocker(personList_);
  const std::vector<std::u16string>& items = form_.PersonList.Items;
  const int count = static_cast<int>(items.size());
  while (personList_->count() > count)
    delete personList_->takeItem(personList_->count() - 1);
  for (int row = 0; row < count; ++row) {
    const QString text = ToQString(items[static_cast<std::size_t>(row)]);
    if (row < personList_->count()) {
      QListWidgetItem* item = personList_->item(row);
      if (item->text() != text) item->setText(text);
    } else {
      personList_->addItem(text);
    }
  }

  const int index = form_.PersonList.ListIndex;
  if (index >= 0 && index < count) {
    if (personList_->currentRow() != index || !personList_->item(index)->isSelected()) {
      personList_->setCurrentRow(index);
    }
    personList_->scrollToItem(personList_->item(index));
  } else {
    personList_->clearSelection();
    personList_->setCurrentItem(nullptr);
  }
}

void QtWindow::mirrorSelector() {
  const QSignalBlocker blocker(selector_);
  const ScrollBarControl& model = form_.PersonFundstellenAuswahl;
  selector_->setRange(model.Min, model.Max);
  selector_->setValue(model.Value);
  selector_->setEnabled(model.Enabled);
}

void QtWindow::mirrorButton(QPushButton* button, const CommandButtonControl& model) {
  button->setText(ToQString(model.Caption));
  button->setEnabled(model.Enabled);
}

void QtWindow::mirrorStartTimer() {
  if (closed_ || !form_.StartTimer.Enabled) {
    startTimer_.stop();
  } else if (runArmed_ && painted_ && !startTimer_.isActive()) {
    startTimer_.start(std::max(form_.StartTimer.Interval, 0));
  }
}

// ---- From the user to the handlers. ----

void QtWindow::onListSelectionChanged() {
  if (!takesInput()) return;
  const QList<QListWidgetItem*> selected = personList_->selectedItems();
  form_.PersonList.ListIndex = selected.isEmpty() ? -1 : personList_->row(selected.front());
  form_.PersonList_Click();
}

void QtWindow::onSelectorValueChanged(int value) {
  if (!takesInput()) return;
  form_.PersonFundstellenAuswahl.Value = value;
  form_.PersonFundstellenAuswahl_Change();
}

void QtWindow::onSelectorMoved(int position) {
  if (!takesInput()) return;
  form_.PersonFundstellenAuswahl.Value = position;
  form_.PersonFundstellenAuswahl_Scroll();
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
  // The scroll bar takes the focus but ignores keys by itself; the arrows, page and end keys
  // move it as they move a scroll bar elsewhere.
  if (watched == selector_ && event->type() == QEvent::KeyPress) {
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Left:
      case Qt::Key_Up:
        action = QAbstractSlider::SliderSingleStepSub;
        break;
      case Qt::Key_Right:
      case Qt::Key_Down:
        action = QAbstractSlider::SliderSingleStepAdd;
        break;
      case Qt::Key_PageUp:
        action = QAbstractSlider::SliderPageStepSub;
        break;
      case Qt::Key_PageDown:
        action = QAbstractSlider::SliderPageStepAdd;
        break;
      case Qt::Key_Home:
        action = QAbstractSlider::SliderToMinimum;
        break;
      case Qt::Key_End:
        action = QAbstractSlider::SliderToMaximum;
        break;
      default:
        break;
    }
    if (action != QAbstractSlider::SliderNoAction) {
      selector_->triggerAction(action);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Start, pending events, message boxes and the end. ----

void QtWindow::startRunWhenShown() {
  runArmed_ = true;
  mirrorStartTimer();
}

void QtWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!painted_) {
    painted_ = true;
    // The timer fires from the event loop, after this first paint has reached the screen.
    mirrorStartTimer();
  }
}

void QtWindow::runStartTimer() {
  if (closed_ || !form_.StartTimer.Enabled) return;
  form_.StartTimer_Timer();
}

void QtWindow::processPendingMessages() {
  // Once closed, nothing may run any more: the interrupted run only unwinds.
  if (closed_) return;
  if (!pacer_.Due()) return;
  flushStatus();
  QCoreApplication::processEvents();
}

MessageAnswer QtWindow::messageBox(const MessageRequest& request) {
  const bool yesNo = request.Buttons == MessageButtons::YesNo;
  // A closed window asks nothing; the answer is the one that changes nothing.
  if (closed_ || tearingDown_) return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
  flushStatus();

  QMessageBox box(QMessageBox::Critical, ToQString(request.Title), ToQString(request.Text),
                  QMessageBox::NoButton, this);
  box.setTextFormat(Qt::PlainText);
  box.setFont(font_);
  QPushButton* first = nullptr;
  QPushButton* second = nullptr;
  if (yesNo) {
    first = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    second = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setEscapeButton(second);
  } else {
    first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setEscapeButton(first);
  }
  box.setDefaultButton(request.Default == DefaultButton::Second && second ? second : first);

  QMessageBox* const outer = std::exchange(openBox_, &box);
  box.exec();
  openBox_ = outer;

  if (!yesNo) return MessageAnswer::Ok;
  return box.clickedButton() == first ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtWindow::closeWindow() {
  if (closed_) return;
  closed_ = true;
  startTimer_.stop();
  // A box still open would keep its own event loop, and the run, alive.
  if (openBox_ != nullptr) openBox_->reject();
  hide();
  emit windowClosed();
}

void QtWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  // The form unloads once, whoever asks first: the user, a signal or the session.
  if (unloaded_ || closed_) return;
  unloaded_ = true;
  form_.Form_Unload();
}
