#include "views/colour_view_model.h"

#include "document/tintor_doc.h"

#include <algorithm>

namespace tintor {

// --- CColorListModel ----------------------------------------------------------

void CColorListModel::SetRows(std::shared_ptr<const std::vector<std::uint32_t>> keys, std::vector<std::uint32_t> rows)
{
    beginResetModel();
    m_keys = std::move(keys);
    m_rows = std::move(rows);
    if (!m_keys)
        m_rows.clear();
    endResetModel();
}

bool CColorListModel::Lists(const CColorTable& table) const
{
    // The model holds the key array, so no other array can take its place
    // at the same address.
    return m_keys == table.Map().SharedKeys() && m_keys != nullptr;
}

int CColorListModel::RowOf(std::uint32_t key) const
{
    if (!m_keys)
        return -1;
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](std::uint32_t i) { return (*m_keys)[i] == key; });
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

int CColorListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CColorListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::asprintf("%08x", static_cast<unsigned>(CTintorDoc::SortValue(KeyAt(index.row()))));
    case kKeyRole:
        return QVariant::fromValue(KeyAt(index.row()));
    case kIndexRole:
        return QVariant::fromValue(IndexAt(index.row()));
    default:
        return {};
    }
}

// --- CColorSelectionModel -----------------------------------------------------

CColorSelectionModel::CColorSelectionModel(CColorListModel* model, Change change, QObject* parent)
    : QItemSelectionModel(model, parent), m_model(model), m_change(std::move(change))
{
}

void CColorSelectionModel::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command)
{
    select(index.isValid() ? QItemSelection(index, index) : QItemSelection(), command);
}

void CColorSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (command == NoUpdate)
        return;
    const auto forEachRow = [this](const QItemSelection& rows, const auto& f) {
        for (const QItemSelectionRange& range : rows)
            for (int row = std::max(range.top(), 0); row <= std::min(range.bottom(), m_model->rowCount() - 1); ++row)
                f(m_model->IndexAt(row));
    };
    m_change([&](CSelectionEdit& edit) {
        // As Qt's own model does: a request with Current replaces the one
        // before it (a drag growing or shrinking), any other one starts
        // anew on top of what is selected.
        if (command & Clear)
            edit.Clear();
        else if (command & Current) {
            forEachRow(m_currentRows, [&](std::uint32_t i) { edit.Set(i, false); });
            for (const std::uint32_t i : m_currentWereSelected)
                edit.Set(i, true);
        }
        m_currentRows.clear();
        m_currentWereSelected.clear();
        if (!(command & (Select | Deselect | Toggle)))
            return;
        m_currentRows = selection;
        forEachRow(selection, [&](std::uint32_t i) {
            const bool was = edit.IsSelected(i);
            if (was)
                m_currentWereSelected.push_back(i);
            edit.Set(i, command & Toggle ? !was : (command & Select) != 0);
        });
    });
}

void CColorSelectionModel::Forget()
{
    m_currentRows.clear();
    m_currentWereSelected.clear();
}

} // namespace tintor
