#pragma once

#include <QIcon>
#include <QIconEngine>

#include <functional>
#include <optional>

// An icon that is made only when something first asks for its pictures, then answers
// exactly as that icon does. Decoding the window icon's seven pictures took a fifth of the
// console's time to its first show; platforms that never draw the icon (offscreen,
// Wayland) now never decode it, the others decode it when they first ask.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QIconEngine *clone() const override;

private:
    QIcon &icon();

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};
