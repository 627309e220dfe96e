#include "views/colour_view_model.h"

#include "document/tintor_doc.h"

#include <algorithm>

namespace tintor {

void CColorListModel::SetKeys(std::vector<std::uint32_t> keys)
{
    beginResetModel();
    m_keys = std::move(keys);
    endResetModel();
}

int CColorListModel::RowOf(std::uint32_t key) const
{
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    return it == m_keys.end() ? -1 : static_cast<int>(it - m_keys.begin());
}

int CColorListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_keys.size());
}

QVariant CColorListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const std::uint32_t key = KeyAt(index.row());
    if (role == Qt::DisplayRole)
        return QString::asprintf("%08x", static_cast<unsigned>(CTintorDoc::SortValue(key)));
    if (role == kKeyRole)
        return QVariant::fromValue(key);
    return {};
}

} // namespace tintor
