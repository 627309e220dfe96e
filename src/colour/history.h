#pragma once

#include "colour/colour_table.h"

#include <vector>

namespace tintor {

// The last states of the colour table, for undo and redo: a ring of whole
// table copies.
class CHistory {
public:
    explicit CHistory(int capacity);

    void Reset();
    void Push(const CColorTable& table);
    void Undo(CColorTable& table);
    void Redo(CColorTable& table);
    int GetUndoCount() const;
    int GetRedoCount() const;

private:
    std::vector<CColorTable> m_states;
    int m_capacity;
    int m_current = 0;
    int m_oldest = 0;
    int m_newest = 0;
};

} // namespace tintor
