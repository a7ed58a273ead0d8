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
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <utility>

#include "shell/window_layout.h"

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

}  // namespace

QtWindow::QtWindow(RunOptions options, Pacing pacing)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      font_(WindowFont()),
      driver_(*this, std::move(options), pacing) {
  scale_ = logicalDpiX() / 96.0;
  setFont(font_);
  setFixedSize(pixels(kWindowWidthTwips), pixels(kWindowHeightTwips));
  buildControls();
  connectInput();

  startTimer_.setSingleShot(true);
  connect(&startTimer_, &QTimer::timeout, this, [this] { driver_.StartTimerTick(); });

  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

QtWindow::~QtWindow() {
  driver_.TearDown();
  startTimer_.stop();
  // Widgets may still signal while they are destroyed (a list losing its selection); they go now,
  // while the driver they report to still exists.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

int QtWindow::pixels(int twips) const {
  return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixelAt96Dpi));
}

QWidget* QtWindow::control(ControlId control) const {
  return widgets_[static_cast<std::size_t>(control)];
}

void QtWindow::buildControls() {
  QList<QWidget*> tabOrder;
  for (const ControlLayout& layout : kWindowLayout) {
    QWidget* parent = this;
    if (layout.Parent == Container::PersonFrame) parent = personFrame_;
    if (layout.Parent == Container::ProgressFrame) parent = progressInside_;
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
        personList_ = new QListWidget(parent);
        personList_->setSelectionMode(QAbstractItemView::SingleSelection);
        personList_->setSortingEnabled(false);
        personList_->setUniformItemSizes(true);
        personList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget = personList_;
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
        const ControlId id = layout.Id;
        connect(button, &QPushButton::clicked, this, [this, id] { driver_.Clicked(id); });
        widget = button;
        break;
      }
      case ControlKind::HScrollBar: {
        selector_ = new QScrollBar(Qt::Horizontal, parent);
        selector_->setRange(1, 1);
        selector_->setValue(1);
        selector_->setSingleStep(1);
        selector_->setPageStep(1);
        // While the thumb is dragged only its position moves; the value follows on release, so
        // a drag reports scroll events and its end one change.
        selector_->setTracking(false);
        selector_->setFocusPolicy(Qt::StrongFocus);
        widget = selector_;
        break;
      }
    }

    widget->setObjectName(ToQString(layout.Name));
    // Set on each control: a style sheet on the frame would otherwise give its children the
    // application's font instead of the window's.
    widget->setFont(font_);
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : pixels(layout.Width);
    widget->setGeometry(pixels(layout.Left), pixels(layout.Top), width, pixels(layout.Height));
    widgets_[static_cast<std::size_t>(layout.Id)] = widget;
    if (widget->focusPolicy() & Qt::TabFocus) tabOrder.append(widget);

    if (layout.Kind == ControlKind::PictureBox) {
      progressInside_ = new QWidget(widget);
      progressInside_->setGeometry(static_cast<QFrame*>(widget)->contentsRect());
    }
  }

  QWidget* bar = control(ControlId::ProgressBar);
  bar->setAutoFillBackground(true);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, QColor(0, 0, 255));
  bar->setPalette(palette);

  for (qsizetype index = 1; index < tabOrder.size(); ++index) {
    setTabOrder(tabOrder[index - 1], tabOrder[index]);
  }
}

void QtWindow::connectInput() {
  selector_->installEventFilter(this);
  connect(personList_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = personList_->selectedItems();
    driver_.PersonListSelected(selected.isEmpty() ? -1 : personList_->row(selected.front()));
  });
  connect(selector_, &QScrollBar::valueChanged, this,
          [this](int value) { driver_.SelectorChanged(value); });
  connect(selector_, &QScrollBar::sliderMoved, this,
          [this](int position) { driver_.SelectorScrolled(position); });
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

// ---- What the driver shows. ----

void QtWindow::showControl(const ControlView& view) {
  switch (view.Control) {
    case ControlId::WindowCaption:
      setWindowTitle(ToQString(view.Text));
      return;
    case ControlId::ProgressBar:
      showProgressBar(view.Fill);
      return;
    case ControlId::PersonList:
      showPersonList(view);
      return;
    case ControlId::HitSelector:
      showSelector(view);
      return;
    case ControlId::StartTimer:
      showStartTimer(view);
      return;
    default:
      break;
  }
  QWidget* widget = control(view.Control);
  const QString text = ToQString(view.Text);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(text);
    button->setEnabled(view.Enabled);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
    if (box->toPlainText() != text) box->setPlainText(text);
  } else if (widget == personFrame_) {
    // A name is shown as written; "&" would otherwise become a keyboard shortcut.
    QString title = text;
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    personFrame_->setTitle(title);
  }
}

void QtWindow::showProgressBar(double fill) {
  // The inside's real width makes a full bar fill it exactly at any resolution.
  QWidget* bar = control(ControlId::ProgressBar);
  bar->resize(static_cast<int>(std::lround(fill * progressInside_->width())), bar->height());
}

void QtWindow::showPersonList(const ControlView& view) {
  const int unchanged = static_cast<int>(view.UnchangedItems);
  const bool itemsReplaced = unchanged < personList_->count();
  if (unchanged == 0) {
    personList_->clear();
  } else {
    while (personList_->count() > unchanged)
      delete personList_->takeItem(personList_->count() - 1);
  }
  if (view.Items.size() > view.UnchangedItems) {
    QStringList added;
    added.reserve(static_cast<qsizetype>(view.Items.size() - view.UnchangedItems));
    for (const std::u16string& item : view.Items.subspan(view.UnchangedItems))
      added.append(ToQString(item));
    personList_->addItems(added);
  }

  const int index = view.Selected;
  if (index >= 0 && index < personList_->count()) {
    const bool newSelection =
        personList_->currentRow() != index || !personList_->item(index)->isSelected();
    if (newSelection) personList_->setCurrentRow(index);
    // Scrolling lays out every item first: only when the selection or the items before it moved,
    // not for every person added below it.
    if (newSelection || itemsReplaced) personList_->scrollToItem(personList_->item(index));
  } else if (personList_->currentItem() != nullptr || !personList_->selectedItems().isEmpty()) {
    personList_->clearSelection();
    personList_->setCurrentItem(nullptr);
  }
}

void QtWindow::showSelector(const ControlView& view) {
  selector_->setRange(view.Minimum, view.Maximum);
  selector_->setValue(view.Value);
  selector_->setEnabled(view.Enabled);
}

void QtWindow::showStartTimer(const ControlView& view) {
  if (!view.Enabled) {
    startTimer_.stop();
  } else if (!startTimer_.isActive()) {
    startTimer_.start(view.Interval);
  }
}

// ---- Events, message boxes and the end. ----

void QtWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  driver_.Painted();
}

void QtWindow::processEvents() {
  QCoreApplication::processEvents();
}

void QtWindow::post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

MessageAnswer QtWindow::askUser(const MessageRequest& request) {
  const bool yesNo = request.Buttons == MessageButtons::YesNo;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (request.Icon) {
    case MessageIcon::Critical:
      icon = QMessageBox::Critical;
      break;
    case MessageIcon::Question:
      icon = QMessageBox::Question;
      break;
  }
  QMessageBox box(icon, ToQString(request.Title), ToQString(request.Text), QMessageBox::NoButton,
                  this);
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
  startTimer_.stop();
  // A box still open would keep its own event loop, and the run, alive.
  if (openBox_ != nullptr) openBox_->reject();
  hide();
  emit windowClosed();
}

void QtWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  driver_.CloseRequested();
}
