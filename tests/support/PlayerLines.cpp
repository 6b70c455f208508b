#include "PlayerLines.h"

#include <QtGlobal>

PlayerLines::PlayerLines()
{
    qputenv("KELMI_PORT1", m_port1.slavePath().toLocal8Bit());
    qputenv("KELMI_PORT2", m_port2.slavePath().toLocal8Bit());
}

PlayerLines::~PlayerLines()
{
    qunsetenv("KELMI_PORT1");
    qunsetenv("KELMI_PORT2");
}

QString PlayerLines::errorString() const
{
    return m_port1.isOpen() ? m_port2.errorString() : m_port1.errorString();
}
