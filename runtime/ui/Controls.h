#pragma once
// The controls: command button, single-line edit, multi-line edit, edit mask, drop-down list,
// drop-down picture list, rich-text edit, static text, check box, radio button, picture,
// rectangle, group box, line, and the composite user object.
//
// Events besides those of VisualObject (constructor, getfocus, losefocus, keyup, lbuttondown,
// lbuttonup, rbuttondown, mousemove): clicked (buttons, check boxes, radio buttons, static
// text, pictures), modified (text kinds: the user changed the text and left the field or
// pressed Enter; setting the text by program raises nothing), selectionchanged(index)
// (drop-down lists), resize(sizetype, newwidth, newheight) (user objects).
#include "runtime/ui/VisualObject.h"

#include <string>
#include <string_view>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

namespace runtime {

class CommandButton : public Control {
public:
    explicit CommandButton(std::string className = "commandbutton");
    std::string text() const override;
    void setText(std::string_view text) override;
    // Enter presses the default button, Esc the cancel button, of the button's window.
    bool isDefault() const { return default_; }
    void setDefault(bool on);
    bool isCancel() const { return cancel_; }
    void setCancel(bool on) { cancel_ = on; }
    // As if the user clicked it (nothing when disabled).
    void click();

private:
    bool default_ = false;
    bool cancel_ = false;
};

// What the text kinds share: selection, clipboard, modified.
class TextControl : public Control {
public:
    using Control::Control;
    // Maximum length (0: none).
    virtual void setLimit(int) {}
    // Selects a range (start from 1, length).
    virtual void selectText(int start, int length) = 0;
};

class SingleLineEdit : public TextControl {
public:
    explicit SingleLineEdit(std::string className = "singlelineedit", std::string typeName = "singlelineedit");
    std::string text() const override;
    void setText(std::string_view text) override;
    std::string selectedText() const override;
    void cut() override;
    void copy() override;
    void paste() override;
    void setLimit(int limit) override;
    void selectText(int start, int length) override;
    void setPassword(bool on);
    QLineEdit* lineEdit() const;

protected:
    bool dirty_ = false;
};

// An edit with a mask: "#" a digit (numeric masks such as "####" or "0##" take up to as many
// digits), "!" an upper-case letter, "a" a letter or digit, "x" any character; other characters
// are kept as they are. With a spin range, Up and Down step the number.
class EditMask : public SingleLineEdit {
public:
    explicit EditMask(std::string className = "editmask");
    void setMask(std::string_view mask);
    const std::string& mask() const { return mask_; }
    void setSpin(double increment, double minimum, double maximum);

private:
    void step(int direction);
    std::string mask_;
    bool spin_ = false;
    double increment_ = 1, minimum_ = 0, maximum_ = 0;
};

class MultiLineEdit : public TextControl {
public:
    explicit MultiLineEdit(std::string className = "multilineedit");
    std::string text() const override;
    void setText(std::string_view text) override;
    std::string selectedText() const override;
    void cut() override;
    void copy() override;
    void paste() override;
    void setLimit(int limit) override { limit_ = limit; }
    void selectText(int start, int length) override;
    QPlainTextEdit* editor() const;

private:
    bool dirty_ = false;
    int limit_ = 0;
};

class RichTextEdit : public TextControl {
public:
    explicit RichTextEdit(std::string className = "richtextedit");
    std::string text() const override;  // plain text
    void setText(std::string_view text) override;
    std::string selectedText() const override;
    void cut() override;
    void copy() override;
    void paste() override;
    void selectText(int start, int length) override;
    QTextEdit* editor() const;

private:
    bool dirty_ = false;
};

// A drop-down list (and, with pictures, a drop-down picture list). Entries are numbered from 1.
class DropDownListBox : public TextControl {
public:
    explicit DropDownListBox(std::string className = "dropdownlistbox", std::string typeName = "dropdownlistbox");
    std::string text() const override;  // the edit portion, or the selected entry
    void setText(std::string_view text) override;
    std::string selectedText() const override;
    void cut() override;
    void copy() override;
    void paste() override;
    void selectText(int start, int length) override;
    void setAllowEdit(bool on);
    void setSorted(bool on);

    int addItem(std::string_view text, int pictureIndex = 0);  // answers its index
    int deleteItem(int index);
    void reset();
    int totalItems() const;
    std::string itemText(int index) const;  // "" outside the entries
    // The first entry from after `start` whose text begins with `text` (case ignored) becomes
    // selected; answers its index, -1 when none.
    int selectItem(std::string_view text, int start = 0);
    int selectItem(int index);
    int selectedIndex() const;  // 0 when none
    QComboBox* comboBox() const;

protected:
    bool sorted_ = false;
    bool dirty_ = false;
    bool programmatic_ = false;
};

class DropDownPictureListBox : public DropDownListBox {
public:
    explicit DropDownPictureListBox(std::string className = "dropdownpicturelistbox");
    // Adds a picture (a file); answers its index from 1.
    int addPicture(std::string_view file);
    // The colour drawn transparent in the pictures added after this call (-1: none).
    void setPictureMaskColor(long color) { maskColor_ = color < 0 ? -1 : color; }

private:
    std::vector<std::string> pictures_;
    std::vector<long> masks_;
    long maskColor_ = -1;
    friend class DropDownListBox;
};

class StaticText : public Control {
public:
    explicit StaticText(std::string className = "statictext");
    std::string text() const override;
    void setText(std::string_view text) override;
};

class CheckBox : public Control {
public:
    explicit CheckBox(std::string className = "checkbox");
    std::string text() const override;
    void setText(std::string_view text) override;
    bool checked() const;
    void setChecked(bool on);
};

// A radio button; automatic ones select themselves on a click and clear their automatic
// siblings; a non-automatic one changes only by program.
class RadioButton : public Control {
public:
    explicit RadioButton(std::string className = "radiobutton");
    std::string text() const override;
    void setText(std::string_view text) override;
    bool checked() const;
    void setChecked(bool on);
    bool automatic() const { return automatic_; }
    void setAutomatic(bool on);

private:
    bool automatic_ = true;
};

class Picture : public Control {
public:
    explicit Picture(std::string className = "picture");
    // A picture file (missing: the picture stays empty). With original size the control takes
    // the picture's size; otherwise the picture is scaled to the control.
    bool setPictureName(std::string_view file);
    const std::string& pictureName() const { return picture_; }
    void setOriginalSize(bool on);

private:
    std::string picture_;
    bool originalSize_ = false;
};

// A drawn rectangle: a fill colour and a border line (runtime colours; a line width of 0
// draws no border).
class RectangleControl : public Control {
public:
    explicit RectangleControl(std::string className = "rectangle");
    void setFillColor(long color);
    void setLineColor(long color);
    void setLineThickness(int pixels);
    long fillColor() const { return fill_; }
    long lineColor() const { return line_; }
    int lineThickness() const { return thickness_; }

private:
    friend class RectangleWidget;
    long fill_ = 16777215;
    long line_ = 0;
    int thickness_ = 1;
};

class GroupBox : public Control {
public:
    explicit GroupBox(std::string className = "groupbox");
    std::string text() const override;
    void setText(std::string_view text) override;
};

// A line from (beginX, beginY) to (endX, endY) in layout units of its parent.
class Line : public Control {
public:
    explicit Line(std::string className = "line");
    void setPoints(int beginX, int beginY, int endX, int endY);
    void setThickness(int pixels);
    int beginX() const { return bx_; }
    int beginY() const { return by_; }
    int endX() const { return ex_; }
    int endY() const { return ey_; }

private:
    friend class LineWidget;
    int bx_ = 0, by_ = 0, ex_ = 0, ey_ = 0, thickness_ = 1;
};

// A composite control: holds controls of its own (addControl) and raises resize on every size
// change.
class UserObject : public Control {
public:
    explicit UserObject(std::string className = "userobject");
    QWidget* clientWidget() const override { return widget(); }
};

// Background colour of a control or window, a runtime colour (see Colors.h).
void setBackgroundColor(VisualObject& object, long color);
// The colour of the object's text (a static text's, an edit's).
void setTextColor(VisualObject& object, long color);

}  // namespace runtime
