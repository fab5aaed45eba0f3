#include "MainWindow.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>
#include <cstdio>
#include <string_view>

#include "OptionButton.hpp"
#include "PictureBox.hpp"
#include "StartWorker.hpp"
#include "TextBox.hpp"
#include "WindowLayout.hpp"
#include "driver/ExperimentDriver.hpp"
#include "driver/StartSeed.hpp"
#include "output/ReportFiles.hpp"
#include "render/QtColour.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod {

namespace {

const QColor kInputColour{192, 255, 224};
const QColor kOutputColour{255, 255, 192};
const QColor kAxisColour{192, 255, 255};
const QColor kLegendColour{255, 255, 192};
const QColor kSexTextColour{255, 0, 0};
const QColor kAsexTextColour{0, 0, 255};
const QColor kLociColour{255, 224, 192};

// Live updates at about the screen's rate.
constexpr int kLiveIntervalMs = 16;

// Focus that moves because a window was activated or a popup opened is not a
// move between the window's controls and runs no handler.
bool IsUserFocusChange(Qt::FocusReason reason) {
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
         reason != Qt::MenuBarFocusReason;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, role, colour);
  }
  widget->setPalette(palette);
  if (role == QPalette::Window) widget->setAutoFillBackground(true);
}

bool IsOutputField(int index) {
  return index >= 37 && index <= 40;
}

// Whether a widget's caption is readable in full in the space the widget
// gives it, with the widget's current font.
bool CaptionFits(const QWidget* widget, const QString& sample = {}) {
  const QFontMetrics metrics(widget->font());
  if (const auto* option = qobject_cast<const OptionButton*>(widget)) return option->captionFits();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    const QString text = sample.isEmpty() ? label->text() : sample;
    const QRect area = label->contentsRect();
    if (label->wordWrap()) {
      const QRect needed =
          metrics.boundingRect(area, static_cast<int>(Qt::TextWordWrap | label->alignment()), text);
      return needed.width() <= area.width() && needed.height() <= area.height();
    }
    return metrics.horizontalAdvance(text) <= area.width() && metrics.height() <= area.height();
  }
  if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect area = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    return metrics.horizontalAdvance(box->text()) <= area.width() &&
           metrics.height() <= box->height();
  }
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect area =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    return metrics.horizontalAdvance(button->text()) <= area.width();
  }
  return true;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent),
      worker_(std::make_unique<StartWorker>(
          sim_, *this,
          [this](const QString& text) {
            // A start tells the user something only when it refuses to run;
            // the message stands over the window as it was before the click.
            if (running_) ShowIdleLook();
            ShowMessageNow(text);
          },
          [this](StartWorker::Outcome outcome) { OnStartFinished(std::move(outcome)); })) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("recmod"));
  setFixedSize(kClientArea.pixels().size());
  CreateControls();
  ApplyColoursAndFonts();
  FitCaptionFonts();
  ApplyKeyboardOrder();

  sim_.plot = &pictBox_->queue();
  sim_.frontEnd = worker_.get();

  liveTimer_.setInterval(kLiveIntervalMs);
  connect(&liveTimer_, &QTimer::timeout, this, &MainWindow::OnLiveTick);
  ShowControls();
}

MainWindow::~MainWindow() {
  ++syncDepth_;
  worker_->Abandon();
  sim_.stopRequested = true;
  worker_->Join();
  sim_.reports.CloseAllQuietly();
  // The controls go while the window's members still exist: a focus change
  // during their destruction reaches a guarded handler, not a dead object.
  sim_.plot = nullptr;
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::CreateControls() {
  for (const ControlPlacement& control : WindowControls()) {
    QWidget* widget = nullptr;
    const QString text = ControlText(control);
    switch (control.kind) {
      case ControlKind::TextBox: {
        auto* box = new TextBox(control.index, this);
        connect(box, &TextBox::focusLost, this, &MainWindow::OnTextFocusLost);
        connect(box, &QLineEdit::textEdited, this,
                [this, index = control.index](const QString& typed) {
                  if (!running_) sim_.controls.Text(index) = typed.toStdString();
                });
        txt_[control.index] = box;
        widget = box;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        const QString name = QString::fromLatin1(control.name);
        if (name == QLatin1String("labl")) {
          label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
          labl_[control.index] = label;
        } else if (name == QLatin1String("lab")) {
          label->setAlignment(Qt::AlignCenter);
          lab_[control.index] = label;
        } else if (name == QLatin1String("Lab4")) {
          label->setAlignment(Qt::AlignCenter);
          lab4_[static_cast<std::size_t>(control.index)] = label;
        } else {
          label->setAlignment(Qt::AlignCenter);
          allelesNumber_ = label;
        }
        widget = label;
        break;
      }
      case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text, this);
        CheckBox which{};
        CheckBoxFromName(control.name, which);
        checkBoxes_[static_cast<std::size_t>(which)] = box;
        connect(box, &QCheckBox::clicked, this, [this, which] { OnCheckBoxClicked(which); });
        widget = box;
        break;
      }
      case ControlKind::OptionButton: {
        auto* option = new OptionButton(control.index, text, this);
        connect(option, &OptionButton::focusReceived, this, &MainWindow::OnOptionFocusReceived);
        connect(option, &QAbstractButton::clicked, this,
                [this, index = control.index] { OnOptionClicked(index); });
        options_[static_cast<std::size_t>(control.index)] = option;
        widget = option;
        break;
      }
      case ControlKind::Button: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        const QString name = QString::fromLatin1(control.name);
        if (name == QLatin1String("Start")) {
          start_ = button;
          connect(button, &QPushButton::clicked, this, &MainWindow::OnStartClicked);
        } else if (name == QLatin1String("EndProgram")) {
          endProgram_ = button;
          connect(button, &QPushButton::clicked, this, &QWidget::close);
        } else {
          toggleAllelesNumber_ = button;
          connect(button, &QPushButton::clicked, this, &MainWindow::OnToggleAllelesNumberClicked);
        }
        widget = button;
        break;
      }
      case ControlKind::PictureBox:
        pictBox_ = new PictureBox(this);
        widget = pictBox_;
        break;
    }
    widget->setObjectName(ControlObjectName(control));
    widget->setGeometry(control.rect.pixels());
  }

  // The words of Option1 3 stand in the gaps around txt 18 and 19.
  OptionButton* loop = options_[3];
  const int origin = loop->x();
  const QRect from = txt_.at(18)->geometry();
  const QRect to = txt_.at(19)->geometry();
  const int captionLeft = loop->captionRect().left();
  constexpr int kGap = 3;
  loop->setCaptionPieces({
      {QStringLiteral("Loop with Log10(N)="), captionLeft,
       from.left() - origin - captionLeft - kGap},
      {QStringLiteral("to"), from.right() + 1 - origin + kGap,
       to.left() - from.right() - 1 - 2 * kGap},
      {QStringLiteral("step .5"), to.right() + 1 - origin + kGap,
       loop->width() - (to.right() + 1 - origin + kGap)},
  });
  // The fields lie over the caption of their option button.
  txt_.at(18)->raise();
  txt_.at(19)->raise();
}

void MainWindow::ApplyColoursAndFonts() {
  for (auto& [index, box] : txt_) {
    SetColour(box, QPalette::Base, IsOutputField(index) ? kOutputColour : kInputColour);
  }
  for (int index = 37; index <= 40; ++index)
    SetColour(labl_.at(index), QPalette::Window, kOutputColour);
  SetColour(pictBox_, QPalette::Window, QColor(224, 255, 224));

  for (int index : {2, 4, 20, 21, 22, 23}) SetColour(lab_.at(index), QPalette::Window, kAxisColour);
  for (int index : {0, 1, 3, 5, 6, 7, 8, 9, 10, 11}) {
    SetColour(lab_.at(index), QPalette::Window, kLegendColour);
  }
  // R- ("Asex", primed haplotypes) in blue above R+ ("Sex") in red.
  for (int index : {0, 3, 5, 6, 7})
    SetColour(lab_.at(index), QPalette::WindowText, kAsexTextColour);
  for (int index : {1, 8, 9, 10, 11})
    SetColour(lab_.at(index), QPalette::WindowText, kSexTextColour);
  for (std::size_t index = 0; index < lab4_.size(); ++index) {
    SetColour(lab4_[index], QPalette::Window, kLegendColour);
    SetColour(lab4_[index], QPalette::WindowText, index < 8 ? kAsexTextColour : kSexTextColour);
  }

  SetColour(allelesNumber_, QPalette::Window, kLociColour);
  QFont bold = allelesNumber_->font();
  bold.setBold(true);
  allelesNumber_->setFont(bold);

  // The vertical axis title: one fixed-pitch character per line.
  QLabel* title = lab_.at(20);
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  title->setFont(fixed);
  title->setWordWrap(true);
  title->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
}

void MainWindow::FitCaptionFonts() {
  // Narrow faces first: they fit the captions at a larger size.
  QStringList families;
  for (const char* narrow : {"DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial Narrow"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(narrow)))
      families << QString::fromLatin1(narrow);
  }
  families << QApplication::font().family();

  // The captions of the fields, boxes, options and buttons share one font.
  std::vector<QWidget*> captions;
  for (auto& [index, label] : labl_) captions.push_back(label);
  for (QCheckBox* box : checkBoxes_) captions.push_back(box);
  for (OptionButton* option : options_) captions.push_back(option);
  for (QPushButton* button : {start_, endProgram_, toggleAllelesNumber_})
    captions.push_back(button);
  for (int index : {0, 1, 22}) captions.push_back(lab_.at(index));

  constexpr int kLargest = 12;
  constexpr int kSmallest = 7;
  QFont chosen = font();
  chosen.setPixelSize(kSmallest);
  bool found = false;
  for (int size = kLargest; size >= kSmallest && !found; --size) {
    for (const QString& family : families) {
      QFont candidate(family);
      candidate.setPixelSize(size);
      setFont(candidate);
      if (std::all_of(captions.begin(), captions.end(),
                      [](QWidget* w) { return CaptionFits(w); })) {
        chosen = candidate;
        found = true;
        break;
      }
    }
  }
  setFont(chosen);
  captionPixelSize_ = chosen.pixelSize();

  // Small labels (axis marks, legends, the axis title) shrink on their own
  // when the common size does not fit them.
  auto shrinkToFit = [](QWidget* widget, const QString& sample) {
    QFont own = widget->font();
    for (int size = own.pixelSize() > 0 ? own.pixelSize() : 12; size >= 5; --size) {
      own.setPixelSize(size);
      widget->setFont(own);
      if (CaptionFits(widget, sample)) return;
    }
  };
  QLabel* title = lab_.at(20);
  QFont fixed = title->font();
  fixed.setPixelSize(16);
  title->setFont(fixed);
  for (auto& [index, label] : lab_) {
    if (index == 0 || index == 1 || index == 22) continue;
    shrinkToFit(label, index == 23 ? QStringLiteral(" 10000") : QString());
  }
  for (QLabel* legend : lab4_) shrinkToFit(legend, {});
  shrinkToFit(allelesNumber_, {});
}

void MainWindow::ApplyKeyboardOrder() {
  QWidget* previous = nullptr;
  for (const char* name : KeyboardOrder()) {
    auto* widget = findChild<QWidget*>(QString::fromLatin1(name));
    if (widget == nullptr) continue;
    widget->setFocusPolicy(Qt::StrongFocus);
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void MainWindow::Load() {
  RunHandler([this] { Form_Load(sim_); });
  txt_.at(1)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::setMessageFunction(MessageFunction function) {
  messageFunction_ = std::move(function);
}

void MainWindow::ShowControls() {
  ++syncDepth_;
  const ControlValues& controls = sim_.controls;
  for (auto& [index, box] : txt_) {
    const auto slot = static_cast<std::size_t>(index);
    const QString text = QString::fromStdString(controls.txt[slot]);
    if (box->text() != text) box->setText(text);
    box->setEnabled(controls.txtEnabled[slot]);
  }
  SetColour(txt_.at(22), QPalette::Base, ToQColor(controls.txt22Background));
  for (auto& [index, label] : labl_)
    label->setEnabled(controls.lablEnabled[static_cast<std::size_t>(index)]);
  for (CheckBox which : kAllCheckBoxes) {
    QCheckBox* box = checkBoxes_[static_cast<std::size_t>(which)];
    box->setChecked(controls.Ticked(which));
    box->setEnabled(controls.CheckEnabled(which));
  }
  if (controls.Option1Selected >= 0 && controls.Option1Selected < 4) {
    options_[static_cast<std::size_t>(controls.Option1Selected)]->setChecked(true);
  }
  allelesNumber_->setText(QString::fromStdString(controls.AllelesNumberCaption));
  lab_.at(23)->setText(QString::fromStdString(controls.lab23Caption));
  for (QLabel* legend : lab4_) legend->setVisible(controls.Lab4Visible);
  // Outside a start the window's thread is the one that draws.
  pictBox_->Publish();
  pictBox_->Present();
  --syncDepth_;
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  if (running_ || syncDepth_ > 0) return;
  QString error;
  try {
    handler();
  } catch (const std::exception& e) {
    error = QString::fromStdString(e.what());
  }
  ShowControls();
  if (!error.isEmpty()) ShowMessageNow(error);
}

void MainWindow::OnTextFocusLost(int index, Qt::FocusReason reason) {
  if (!IsUserFocusChange(reason)) return;
  RunHandler([this, index] { txt_LostFocus(sim_, index); });
}

void MainWindow::OnOptionFocusReceived(int index, Qt::FocusReason reason) {
  if (!IsUserFocusChange(reason)) return;
  RunHandler([this, index] {
    sim_.controls.Option1Selected = index;
    Option1_GotFocus(sim_, index);
  });
}

// A click on an option button that already had the focus runs nothing, unless
// the button was not the selected one (the focus reached it silently): then
// choosing it must still set its run mode.
void MainWindow::OnOptionClicked(int index) {
  if (sim_.controls.Option1Selected == index) return;
  RunHandler([this, index] {
    sim_.controls.Option1Selected = index;
    Option1_GotFocus(sim_, index);
  });
}

void MainWindow::OnCheckBoxClicked(CheckBox box) {
  RunHandler([this, box] { CheckBox_Click(sim_, box); });
}

void MainWindow::OnToggleAllelesNumberClicked() {
  RunHandler([this] { ToggleAllelesNumber_Click(sim_); });
}

void MainWindow::OnStartClicked() {
  if (running_) {
    RequestStop();
    return;
  }
  if (syncDepth_ > 0) return;
  BeginStart();
}

void MainWindow::BeginStart() {
  running_ = true;
  stopPending_ = false;
  SetInputsLocked(true);
  start_->setText(QStringLiteral("Stop"));
  liveTimer_.start();
  pictBox_->SetSweepPicture(std::nullopt);
  // Every start that draws random numbers gets a seed of its own, which its
  // record keeps so that the start can be repeated.
  sim_.seed = StartDrawsRandomNumbers(sim_.runMode) ? std::optional(DrawStartSeed()) : std::nullopt;
  pictBox_->SetResultsTable(std::nullopt);
  worker_->Begin();
}

void MainWindow::RequestStop() {
  stopPending_ = true;
  sim_.stopRequested = true;
}

void MainWindow::OnLiveTick() {
  // A start clears the request when it begins; a stop asked for before that
  // must still count.
  if (stopPending_) sim_.stopRequested = true;
  for (auto& [index, text] : worker_->TakeChangedFields())
    txt_.at(index)->setText(QString::fromStdString(text));
  pictBox_->Present();
}

void MainWindow::EndWithStatus(int status) {
  endStatus_ = status;
  if (!running_) {
    QCoreApplication::exit(status);
    return;
  }
  // A message the start waits on would hold it: it is not waited for.
  worker_->Abandon();
  RequestStop();
}

void MainWindow::OnStartFinished(StartWorker::Outcome outcome) {
  worker_->Join();
  pictBox_->SetSweepPicture(std::move(outcome.sweep));
  pictBox_->SetResultsTable(std::move(outcome.table));
  // The worker has ended: what it drew last is this thread's to publish.
  pictBox_->Publish();
  liveTimer_.stop();
  worker_->DropChangedFields();
  running_ = false;
  stopPending_ = false;
  sim_.stopRequested = false;
  ShowIdleLook();
  if (endStatus_) {
    if (!outcome.error.empty()) std::fprintf(stderr, "recmod: %s\n", outcome.error.c_str());
    emit startFinished();
    // Every event loop ends, a message box's too.
    QCoreApplication::exit(*endStatus_);
    return;
  }
  if (!outcome.error.empty()) ShowMessageNow(QString::fromStdString(outcome.error));
  emit startFinished();
  if (closePending_) close();
}

void MainWindow::ShowIdleLook() {
  start_->setText(QStringLiteral("Start simulation"));
  SetInputsLocked(false);
}

void MainWindow::SetInputsLocked(bool locked) {
  ++syncDepth_;
  for (auto& [index, box] : txt_) {
    if (IsOutputField(index)) {
      box->setReadOnly(locked);
    } else if (locked) {
      box->setEnabled(false);
    }
  }
  for (QCheckBox* box : checkBoxes_) {
    if (locked) box->setEnabled(false);
  }
  for (OptionButton* option : options_) option->setEnabled(!locked);
  toggleAllelesNumber_->setEnabled(!locked);
  if (!locked) ShowControls();
  --syncDepth_;
}

void MainWindow::ShowMessageNow(const QString& text) {
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("recmod"), text, QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // Stop after the current generation, then close.
    closePending_ = true;
    RequestStop();
    event->ignore();
    return;
  }
  worker_->Abandon();
  sim_.reports.CloseAllQuietly();
  event->accept();
}

}  // namespace recmod
