#pragma once

#include <QComboBox>

// A drop-down list with an editable field whose rows are fixed for the whole run.
// Its index means "the row the operator or a handler picked": typing into the field
// removes the selection (index -1) even when the typed text equals a row, and nothing
// typed ever becomes a row. QComboBox alone selects row 0 when filled, appends typed
// text on Enter and selects a row whose text was typed; this class undoes all three.
// The mouse wheel turns the rows only while the list has the keyboard focus, so that
// scrolling past a list neither changes its row nor takes the focus.
class FixedList : public QComboBox
{
    Q_OBJECT
public:
    explicit FixedList(const QStringList &rows, QWidget *parent = nullptr);

    // The picked row, or -1 for none.
    int listIndex() const { return currentIndex(); }

    // Picks row index and shows its text; -1 (or any index outside the rows) removes
    // the selection and empties the field, also when the operator had typed into it.
    void setListIndex(int index);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void dropSelectionKeepingText(const QString &text);
};
