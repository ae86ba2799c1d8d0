#include "sticky/frmSticky.h"

#include "app/Fonts.h"
#include "app/Globals.h"
#include "app/Placement.h"
#include "app/Twips.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "sticky/StickyNote.h"
#include "sticky/StickyPictures.h"
#include "sticky/modScrollbar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>

namespace horolet {

namespace {

const QColor kPaleYellow(255, 255, 128);
const QColor kLightYellow(255, 255, 192);
const QColor kDarkGrey(64, 64, 64);

void colour(QWidget* w, QPalette::ColorRole backgroundRole, const QColor& background) {
    QPalette p = w->palette();
    p.setColor(backgroundRole, background);
    w->setPalette(p);
}

// Character code 1: Ctrl+A, with or without Shift.
bool isCtrlA(const QKeyEvent* key) {
    if (key->text() == QString(QChar(1))) return true;
    const Qt::KeyboardModifiers m = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return key->key() == Qt::Key_A && m == Qt::ControlModifier;
}

// A mouse position in twips relative to a control, from the global position so that a
// window move not yet carried out by the display server cannot skew it.
QPointF twipsIn(const QWidget* control, const QMouseEvent* event) {
    return control->mapFromGlobal(event->globalPosition()) * kTwipsPerPixel;
}

}  // namespace

frmSticky::frmSticky() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Sticky"));
    colour(this, QPalette::Window, kPaleYellow);
    setAutoFillBackground(true);
    resize(twipsToPx(kStickyDesignWidth), twipsToPx(kStickyDesignHeight));

    dataStickyTitle = new QLineEdit(this);
    dataStickyTitle->setFont(TahomaFont(8.25, true));
    dataStickyTitle->setAlignment(Qt::AlignCenter);
    dataStickyTitle->setFrame(false);
    QPalette tp = dataStickyTitle->palette();
    tp.setColor(QPalette::Base, kDarkGrey);
    tp.setColor(QPalette::Text, QGuiApplication::palette().color(QPalette::Base));
    dataStickyTitle->setPalette(tp);
    dataStickyTitle->setAccessibleName(QStringLiteral("Note title"));

    dataStickyText = new QPlainTextEdit(this);
    dataStickyText->setFont(TahomaFont(8.25));
    dataStickyText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    dataStickyText->setFrameShape(QFrame::NoFrame);
    colour(dataStickyText, QPalette::Base, kLightYellow);
    dataStickyText->setAccessibleName(QStringLiteral("Note text"));

    ToggleOptionsView = new QToolButton(this);
    ToggleOptionsView->setIcon(StickyClosePicture());
    ToggleOptionsView->setIconSize(QSize(5, 5));
    ToggleOptionsView->setAccessibleName(QStringLiteral("Close note"));

    StickyResize = new QLabel(this);
    colour(StickyResize, QPalette::Window, kPaleYellow);
    StickyResize->setAutoFillBackground(true);
    StickyResize->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StickyResize->setCursor(Qt::SizeFDiagCursor);
    StickyResize->setAccessibleName(QStringLiteral("Resize note"));
    ToggleOptionsView->raise();  // over the right end of the title strip

    connect(dataStickyTitle, &QLineEdit::textChanged, this, &frmSticky::onTitleChanged);
    connect(dataStickyText, &QPlainTextEdit::textChanged, this, &frmSticky::onTextChanged);
    connect(ToggleOptionsView, &QToolButton::clicked, this, &frmSticky::onToggleOptionsView);
    dataStickyTitle->installEventFilter(this);
    dataStickyText->installEventFilter(this);
    StickyResize->installEventFilter(this);
    LayoutControls();
}

frmSticky::~frmSticky() {
    // Children outlive this part of the object; their last signals must not reach it.
    dataStickyTitle->disconnect(this);
    dataStickyText->disconnect(this);
}

void frmSticky::load() {
    const StickyValues& note = Sticky();

    // 1. The window hook.
    Hook().HookedWindow = winId();
    HookWindow();

    // 2, 3. Size and place from the note values, pulled back when beyond the desktop.
    resize(twipsToPx(note.StickyWidth), twipsToPx(note.StickyHeight));
    const TwipsGeometry size = windowTwips(this);
    const TwipsPlace place =
        KeepOnDesktop({note.StickyLeft, note.StickyTop}, size.width, size.height, false);
    move(twipsToPx(place.left), twipsToPx(place.top));

    // 4.
    LayoutControls();
    platform().hideFromTaskbar(this);
}

void frmSticky::LayoutControls() {
    const StickyLayout l = StickyLayoutFor(int(pxToTwips(width())), int(pxToTwips(height())));
    auto place = [](QWidget* w, const QRect& twips) {
        w->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    };
    place(dataStickyTitle, l.title);
    place(dataStickyText, l.text);
    place(ToggleOptionsView, l.close);
    place(StickyResize, l.grip);
    // The glyph sits in the part of the grip that lies inside the window.
    const QSize visible(width() - StickyResize->x(), height() - StickyResize->y());
    if (StickyResize->pixmap().size() != StickyResize->size() || visible != m_gripVisible) {
        m_gripVisible = visible;
        StickyResize->setPixmap(SizeGripPicture(StickyResize->size(), visible));
    }
}

QString frmSticky::noteText() const {
    // Raw text keeps non-breaking spaces, which plain text would turn into blanks.
    QString text = dataStickyText->document()->toRawText();
    for (QChar& c : text) {
        switch (c.unicode()) {
            case QChar::ParagraphSeparator:
            case QChar::LineSeparator:
                c = u'\n';
                break;
            default:
                break;
        }
    }
    return text;
}

void frmSticky::setNoteText(const QString& text) {
    // The box would make two lines of a "\r\n" pair.
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    dataStickyText->setPlainText(lines);
}

void frmSticky::onTitleChanged() {
    if (m_unloaded) return;
    StickyValues& note = Sticky();
    note.StickyTitle = dataStickyTitle->text();
    WriteOption(QStringLiteral("StickyTitle"), note.StickyTitle);
}

void frmSticky::onTextChanged() {
    if (m_unloaded) return;
    StickyValues& note = Sticky();
    note.StickyText = noteText();
    WriteOption(QStringLiteral("StickyText"), note.StickyText);
}

void frmSticky::onToggleOptionsView() {
    StickyValues& note = Sticky();
    note.StickyText = noteText();
    note.StickyTitle = dataStickyTitle->text();
    note.StickyVisible = false;
    close();
}

bool frmSticky::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                       type == QEvent::MouseButtonRelease;
    if (watched == dataStickyTitle && mouse) {
        titleMouse(static_cast<QMouseEvent*>(event));
        return false;  // the box still places its caret
    }
    if (watched == StickyResize && mouse) {
        gripMouse(static_cast<QMouseEvent*>(event));
        return true;
    }
    if (watched == dataStickyText && type == QEvent::KeyPress &&
        isCtrlA(static_cast<QKeyEvent*>(event))) {
        dataStickyText->selectAll();
        return false;  // passed on unchanged
    }
    return QWidget::eventFilter(watched, event);
}

void frmSticky::titleMouse(QMouseEvent* event) {
    DragValues& drag = Drag();
    const QPointF at = twipsIn(dataStickyTitle, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_systemMove = platform().startSystemMove(this);
            if (m_systemMove) return;
            drag.DragActive = true;
            drag.DragStartX = float(at.x());
            drag.DragStartY = float(at.y());
            return;
        case QEvent::MouseMove: {
            if (!drag.DragActive) return;
            const TwipsGeometry g = windowTwips(this);
            const TwipsPlace place = TitleDragPlace({g.left, g.top}, float(at.x()), float(at.y()));
            move(twipsToPx(place.left), twipsToPx(place.top));
            const TwipsGeometry now = windowTwips(this);
            Sticky().StickyTop = float(now.top);
            Sticky().StickyLeft = float(now.left);
            return;
        }
        default:
            drag.DragActive = false;
            return;
    }
}

void frmSticky::gripMouse(QMouseEvent* event) {
    StickyGripValues& grip = Grip();
    const QPointF at = twipsIn(StickyResize, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // The compositor cannot drop steps the way ours do; it gets a smallest size.
            const int smallest = twipsToPx(kStickyMinimumSide) + 1;
            const QSize before = minimumSize();
            if (width() >= smallest && height() >= smallest) setMinimumSize(smallest, smallest);
            m_systemResize = platform().startSystemResize(this, Qt::RightEdge | Qt::BottomEdge);
            if (m_systemResize) return;
            setMinimumSize(before);
            grip.StickyResizing = true;
            Drag().DragStartX = float(at.x());
            Drag().DragStartY = float(at.y());
            return;
        }
        case QEvent::MouseMove: {
            if (!grip.StickyResizing) return;
            const auto size =
                GripStep(pxToTwips(width()), pxToTwips(height()), float(at.x()), float(at.y()));
            if (!size) return;
            resize(twipsToPx(size->width()), twipsToPx(size->height()));
            Sticky().StickyHeight = float(pxToTwips(height()));
            Sticky().StickyWidth = float(pxToTwips(width()));
            LayoutControls();
            return;
        }
        default:
            grip.StickyResizing = false;
            return;
    }
}

void frmSticky::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutControls();
    if (m_systemResize) {
        Sticky().StickyHeight = float(pxToTwips(height()));
        Sticky().StickyWidth = float(pxToTwips(width()));
    }
}

void frmSticky::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_systemMove) {
        const TwipsGeometry now = windowTwips(this);
        Sticky().StickyTop = float(now.top);
        Sticky().StickyLeft = float(now.left);
    }
}

void frmSticky::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        // Query-unload: the window gets its own procedure back.
        UnhookWindow();
        // Unload: text and title are saved.
        StickyValues& note = Sticky();
        note.StickyText = noteText();
        WriteOption(QStringLiteral("StickyText"), note.StickyText);
        note.StickyTitle = dataStickyTitle->text();
        WriteOption(QStringLiteral("StickyTitle"), note.StickyTitle);
        m_unloaded = true;
    }
    event->accept();
    finishUnload(this);
}

frmSticky* FillStickyNote() {
    frmSticky* note = frmSticky::form();
    const QString text = Sticky().StickyText;  // the change handlers rewrite the values
    note->setNoteText(text);
    const QString title = Sticky().StickyTitle;
    note->dataStickyTitle->setText(title);
    return note;
}

void ShowStickyNote() {
    frmSticky* note = FillStickyNote();
    note->show();
    Sticky().StickyVisible = true;
}

}  // namespace horolet
