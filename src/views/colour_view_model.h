#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

namespace tintor {

// The rows of the colour list: one ColorKey each, kept in the order of their
// sort text (lightness, then hue), whatever order they were handed over in.
class CColorListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kKeyRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    // "%08x" of the key's packed HLS with the saturation byte cleared.
    static std::uint32_t SortValue(std::uint32_t key);
    static QString SortText(std::uint32_t key);

    // Replaces every row. Keys are taken in the given order and each goes
    // after the rows whose sort text is equal to its own.
    void SetKeys(const std::vector<std::uint32_t>& keys);
    std::uint32_t KeyAt(int row) const { return m_rows[static_cast<std::size_t>(row)].key; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Row {
        std::uint32_t sortValue;
        std::uint32_t key;
    };
    std::vector<Row> m_rows;
};

} // namespace tintor
