// Controls that hold text: the status line ("text"), the read-only text box
// and the text messages created at run time. The controls work with QString;
// the Latin-1 conversion happens where the program's texts enter and leave.
#include <QLabel>
#include <QTextBlock>

#include "runtime/ui/access/accessible_text.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/controls/status_line.h"
#include "runtime/ui/controls/text_box_widget.h"

namespace {

TextShownObserver g_textShownObserver = nullptr;

class TextControl : public Control {
 public:
  TextControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    line_ = new StatusLine;
    placeBody(line_, true);
    line_->showText(spec.text);
  }

  bool isIndicator() const override { return true; }

  int setText(const QString& text) override {
    // One line: a line break would hide everything after it.
    QString t = text;
    t.replace('\n', ' ');
    line_->showText(t);
    if (g_textShownObserver != nullptr) g_textShownObserver(this, t);
    return 0;
  }

  int getText(QString* text) const override {
    *text = line_->fullText();
    return 0;
  }

  QString lineText(int line) const override { return line == 0 ? line_->fullText() : QString(); }

 private:
  StatusLine* line_ = nullptr;
};

class TextBoxControl : public Control {
 public:
  TextBoxControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    edit_ = new TextBoxWidget;
    placeBody(edit_, true);
    edit_->setPlainText(spec.text);
  }

  bool isIndicator() const override { return true; }

  int setText(const QString& text) override {
    show(text);
    return 0;
  }

  int getText(QString* text) const override {
    *text = edit_->toPlainText();
    return 0;
  }

  QString lineText(int line) const override {
    const QTextBlock block = edit_->document()->findBlockByNumber(line);
    return block.isValid() ? block.text() : QString();
  }

  int replaceLine(int line, const QString& text) override {
    if (line < 0) return UIE_BAD_VALUE;
    QStringList lines = edit_->toPlainText().split('\n');
    if (edit_->toPlainText().isEmpty()) lines = QStringList{QString()};
    while (lines.size() <= line) lines.append(QString());
    lines[line] = text;
    show(lines.join('\n'));
    return 0;
  }

 private:
  void show(const QString& text) {
    const QString before = edit_->toPlainText();
    if (text == before) return;
    edit_->setPlainText(text);
    // The document sends Qt's own text events; the observer alone hears of it here.
    AnnounceTextChange(edit_, before, text, false);
  }

  TextBoxWidget* edit_ = nullptr;
};

// Static text placed by the program; it sizes itself to its text and is
// transparent until the program gives it a background colour.
class TextMessageControl : public Control {
 public:
  TextMessageControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    label_ = new QLabel;
    label_->setTextFormat(Qt::PlainText);
    setBodyOnly(label_);
    setText(spec.text);
  }

  bool isIndicator() const override { return true; }

  int setText(const QString& text) override {
    label_->setText(text);
    fit();
    return 0;
  }

  int getText(QString* text) const override {
    *text = label_->text();
    return 0;
  }

  QString lineText(int line) const override {
    const QStringList lines = label_->text().split('\n');
    return line >= 0 && line < lines.size() ? lines[line] : QString();
  }

 protected:
  void textStyleChanged() override { fit(); }

 private:
  void fit() {
    const QSize size = label_->sizeHint().expandedTo(QSize(1, 1));
    box()->resize(size);
    label_->setGeometry(0, 0, size.width(), size.height());
  }

  QLabel* label_ = nullptr;
};

}  // namespace

TextShownObserver SetTextShownObserver(TextShownObserver observer) {
  const TextShownObserver before = g_textShownObserver;
  g_textShownObserver = observer;
  return before;
}

Control* NewTextControl(PanelWindow* panel, const ControlSpec& spec) {
  return new TextControl(panel, spec);
}

Control* NewTextBoxControl(PanelWindow* panel, const ControlSpec& spec) {
  return new TextBoxControl(panel, spec);
}

Control* NewTextMessageControl(PanelWindow* panel, const ControlSpec& spec) {
  return new TextMessageControl(panel, spec);
}
