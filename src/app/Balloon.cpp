#include "app/Balloon.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

namespace horolet {

BalloonTool::BalloonTool(QWidget* target, QObject* parent) : QObject(parent), m_target(target) {
    m_popup = new QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setPalette(QToolTip::palette());
    m_popup->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(3);
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    m_titleLabel = new QLabel(m_popup);
    QFont bold = font;
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    m_textLabel = new QLabel(m_popup);
    m_textLabel->setFont(font);
    m_textLabel->setTextFormat(Qt::PlainText);
    for (QLabel* l : {m_titleLabel, m_textLabel}) {
        l->setPalette(QToolTip::palette());
        l->setForegroundRole(QPalette::ToolTipText);
        layout->addWidget(l);
    }
    m_popup->setBackgroundRole(QPalette::ToolTipBase);
    m_popup->setStyleSheet(QStringLiteral("QWidget#balloon { border: 1px solid palette(tooltip-text); }"));
    m_popup->setObjectName(QStringLiteral("balloon"));
    if (m_target) m_target->installEventFilter(this);
}

BalloonTool::~BalloonTool() { delete m_popup; }

void BalloonTool::setTitle(const QString& title) {
    m_title = title;
    refresh();
}

void BalloonTool::setText(const QString& text) {
    m_text = text;
    refresh();
}

void BalloonTool::refresh() {
    m_titleLabel->setText(m_title);
    QString shown = m_text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_textLabel->setText(shown);
    if (m_popup->isVisible()) m_popup->adjustSize();
}

void BalloonTool::showNow() {
    if (!m_target) return;
    m_popup->adjustSize();
    QPoint at = m_target->mapToGlobal(QPoint(m_target->width() / 2, m_target->height()));
    if (const QScreen* s = m_target->screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + m_popup->height() > avail.bottom())
            at.setY(m_target->mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(qBound(avail.left(), at.x() - m_popup->width() / 2, avail.right() - m_popup->width()));
    }
    m_popup->move(at);
    m_popup->show();
}

void BalloonTool::hideNow() { m_popup->hide(); }

bool BalloonTool::isShown() const { return m_popup->isVisible(); }

bool BalloonTool::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_target) {
        switch (event->type()) {
            case QEvent::ToolTip: showNow(); return true;
            case QEvent::Leave:
            case QEvent::Hide:
            case QEvent::MouseButtonPress: hideNow(); break;
            default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

BalloonTool* BalloonTooltip::addTool(QWidget* target, const QString& text) {
    auto* tool = new BalloonTool(target, this);
    tool->setText(text);
    return tool;
}

}  // namespace horolet
