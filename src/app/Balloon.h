#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

namespace horolet {

// A balloon over one control: while the pointer rests there it shows a bold
// title and a multi-line text, in Tahoma on the system's tooltip colours.
class BalloonTool final : public QObject {
    Q_OBJECT
public:
    BalloonTool(QWidget* target, QObject* parent);
    ~BalloonTool() override;

    void setTitle(const QString& title);
    QString title() const { return m_title; }
    void setText(const QString& text);
    QString text() const { return m_text; }

    void showNow();
    void hideNow();
    bool isShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    QPointer<QWidget> m_target;
    QWidget* m_popup = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    QString m_title;
    QString m_text;
};

// Owns the balloons of one window.
class BalloonTooltip final : public QObject {
    Q_OBJECT
public:
    explicit BalloonTooltip(QObject* parent) : QObject(parent) {}
    BalloonTool* addTool(QWidget* target, const QString& text);
};

}  // namespace horolet
