#include "views/colour_view_model.h"

#include "colour/colour.h"

#include <algorithm>

namespace tintor {

std::uint32_t CColorListModel::SortValue(std::uint32_t key) { return CColor(key).ToHls() & 0x00FF00FFu; }

QString CColorListModel::SortText(std::uint32_t key)
{
    return QString::asprintf("%08x", static_cast<unsigned>(SortValue(key)));
}

void CColorListModel::SetKeys(const std::vector<std::uint32_t>& keys)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(keys.size());
    for (std::uint32_t key : keys)
        m_rows.push_back(Row{SortValue(key), key});
    // The texts are fixed-width lower-case hex, so comparing the numbers
    // orders the rows exactly as comparing the texts would.
    std::stable_sort(
        m_rows.begin(), m_rows.end(), [](const Row& a, const Row& b) { return a.sortValue < b.sortValue; });
    endResetModel();
}

int CColorListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CColorListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return QString::asprintf("%08x", static_cast<unsigned>(row.sortValue));
    if (role == kKeyRole)
        return QVariant::fromValue(row.key);
    return {};
}

} // namespace tintor
