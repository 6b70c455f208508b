#include "ConsoleFixture.h"

#include "Form1.h"
#include "SerialLine.h"

#include <QTest>

ConsoleFixture::ConsoleFixture(Ports ports)
{
    if (ports == Ports::OnPseudoTerminals) {
        m_lines.emplace();
    }
}

ConsoleFixture::~ConsoleFixture() = default;

QString ConsoleFixture::setUpError() const
{
    if (!m_directory.isValid()) {
        return QStringLiteral("no scratch working directory");
    }
    if (m_lines && !m_lines->isOpen()) {
        return QStringLiteral("no pseudo-terminal: ") + m_lines->errorString();
    }
    return QString();
}

bool ConsoleFixture::showWindow()
{
    m_form = std::make_unique<Form1>();
    m_window.form = m_form.get();
    m_form->show();
    return QTest::qWaitForWindowActive(m_form.get());
}

SerialLine *ConsoleFixture::port() const
{
    return m_form->findChild<SerialLine *>(QStringLiteral("MSComm1"));
}
