#pragma once

#include <QRadioButton>
#include <QString>
#include <vector>

namespace recmod {

// An option button whose caption wraps onto as many lines as its height
// holds, or, for a caption that has fields sitting in its gaps, whose words
// are drawn at given places between those fields.
class OptionButton : public QRadioButton {
  Q_OBJECT

 public:
  // A piece of the caption drawn from `left` (pixels from the button's left).
  struct CaptionPiece {
    QString text;
    int left;
    int width;
  };

  OptionButton(int index, const QString& text, QWidget* parent = nullptr);
  int index() const { return index_; }

  void setCaptionPieces(std::vector<CaptionPiece> pieces) { pieces_ = std::move(pieces); }
  const std::vector<CaptionPiece>& captionPieces() const { return pieces_; }
  // Where the caption is drawn, in the button's coordinates.
  QRect captionRect() const;
  // Whether the whole caption is readable in the space it is drawn in.
  bool captionFits() const;
  // The text flags used to draw a wrapped caption.
  static constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

 signals:
  void focusReceived(int index, Qt::FocusReason reason);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

 private:
  int index_;
  std::vector<CaptionPiece> pieces_;
};

}  // namespace recmod
