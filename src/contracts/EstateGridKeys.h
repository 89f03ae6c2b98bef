#pragma once

namespace tikkeli {

// The estates grid's Tab rule. A Tab that follows another key (typing in a cell) is followed by
// one more Tab, so the cursor leaves the cell just written; Tabs pressed in a row, the first Tab
// after the grid got the focus, and a Tab right after the grid lost the focus or after NumLock
// are not. Key codes are those of the keyboard: 9 Tab, 16 Shift, 116 F5, 144 NumLock; 1 marks
// a lost focus.
class EstateGridKeys {
public:
    static constexpr int Tab = 9;
    static constexpr int Shift = 16;
    static constexpr int F5 = 116;
    static constexpr int NumLock = 144;
    static constexpr int FocusLost = 1;

    void focusIn()
    {
        m_last = Tab;
        m_previous = 0;
    }
    void focusOut() { m_last = FocusLost; }
    // One key event of the grid; true when one further Tab is to be sent.
    bool key(int code);

    int last() const { return m_last; }
    int previous() const { return m_previous; }

private:
    int m_last = Tab;
    int m_previous = 0;
};

} // namespace tikkeli
