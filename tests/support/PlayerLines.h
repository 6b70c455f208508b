#pragma once

#include "PseudoTerminal.h"

#include <QString>

// Both players' serial lines as pseudo-terminals, named to the console through KELMI_PORT1
// and KELMI_PORT2 for as long as this object lives.
class PlayerLines
{
public:
    PlayerLines();
    ~PlayerLines();
    Q_DISABLE_COPY(PlayerLines)

    bool isOpen() const { return m_port1.isOpen() && m_port2.isOpen(); }
    QString errorString() const; // why a line could not be set up

    // The far end of serial port 1 or 2.
    PseudoTerminal &line(int portNumber) { return portNumber == 2 ? m_port2 : m_port1; }

private:
    PseudoTerminal m_port1;
    PseudoTerminal m_port2;
};
