#pragma once

#include "app/Forms.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QMouseEvent;
class QPlainTextEdit;
class QToolButton;

namespace horolet {

// The sticky note: a borderless pale-yellow window with a title strip and a text area,
// both saved at every change; moved by its title, resized by its grip, hidden by its
// close button. Place and size live in Sticky(), which the main window saves.
class frmSticky final : public QWidget, public Loadable<frmSticky> {
    Q_OBJECT
public:
    frmSticky();
    ~frmSticky() override;

    void load();
    // Places the controls for the window's present size.
    void LayoutControls();

    // The text box's text, lines separated by "\n", and putting text into it.
    QString noteText() const;
    void setNoteText(const QString& text);

    QLineEdit* dataStickyTitle = nullptr;
    QPlainTextEdit* dataStickyText = nullptr;
    QToolButton* ToggleOptionsView = nullptr;  // the note's close button
    QLabel* StickyResize = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTitleChanged();
    void onTextChanged();
    void onToggleOptionsView();
    void titleMouse(QMouseEvent* event);
    void gripMouse(QMouseEvent* event);

    bool m_unloaded = false;
    QSize m_gripVisible;          // part of the grip inside the window, in pixels
    bool m_systemMove = false;    // the compositor moves the note (Wayland)
    bool m_systemResize = false;  // the compositor resizes it
};

// Puts the remembered text, then the remembered title, into the note's boxes, loading
// the note (hidden) when it is not loaded.
frmSticky* FillStickyNote();

// The show command of the note button and of the menu's "&Show Sticky": fills the
// boxes, shows the note and marks it visible. Moves no keyboard focus.
void ShowStickyNote();

}  // namespace horolet
