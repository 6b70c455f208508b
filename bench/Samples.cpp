#include "Samples.h"

#include <algorithm>

double Samples::median() const
{
    if (m_values.isEmpty()) {
        return 0;
    }
    QList<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Samples::highest() const
{
    return m_values.isEmpty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

double Samples::lowest() const
{
    return m_values.isEmpty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}
