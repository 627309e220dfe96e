#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

namespace tintor {

// The rows of the colour list: one ColorKey each, in the order the document
// lists them. A row's text is its sort text, "%08x" of its sort value; it is
// never drawn, but typing it finds the row.
class CColorListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kKeyRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    // Replaces every row.
    void SetKeys(std::vector<std::uint32_t> keys);
    std::uint32_t KeyAt(int row) const { return m_keys[static_cast<std::size_t>(row)]; }
    // The row of a key; -1 when it is not listed.
    int RowOf(std::uint32_t key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<std::uint32_t> m_keys;
};

} // namespace tintor
