#include "DeferredIconEngine.h"

#include <utility>

DeferredIconEngine::DeferredIconEngine(std::function<QIcon()> make)
    : m_make(std::move(make))
{ }

QIcon &DeferredIconEngine::icon()
{
    if (!m_icon) {
        m_icon = m_make();
    }
    return *m_icon;
}

void DeferredIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                               QIcon::State state)
{
    // The rectangle comes already fitted to actualSize(), so centring it again moves nothing.
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap DeferredIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // A ratio of 1 hands the size to the icon's own engine as it is; the caller has applied
    // the screen's ratio already.
    return icon().pixmap(size, 1.0, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // QIcon::actualSize() would apply the screen's ratio a second time; the picture's own
    // size is what the icon's engine answers.
    return pixmap(size, mode, state).size();
}

QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return icon().availableSizes(mode, state);
}

bool DeferredIconEngine::isNull()
{
    return icon().isNull();
}

QIconEngine *DeferredIconEngine::clone() const
{
    return new DeferredIconEngine(*this);
}
