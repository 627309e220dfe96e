#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace tintor {

class CColorTable;
class CSelectionEdit;

// The rows of the colour list: each names an entry of the colour table by
// its dense index, in the order the list shows them. A row's text is its
// sort text, "%08x" of its sort value; it is never drawn, but typing it
// finds the row. The rows are made once for a table's keys; colours and
// selection are read from the table whenever a row is painted, so no edit
// of the table costs the model anything.
class CColorListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kKeyRole = Qt::UserRole;
    // The row's dense index in the table.
    static constexpr int kIndexRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // Replaces every row: the entries at the dense indices rows, of a table
    // whose key array is keys.
    void SetRows(std::shared_ptr<const std::vector<std::uint32_t>> keys, std::vector<std::uint32_t> rows);
    // Whether the rows were made for the table's keys.
    bool Lists(const CColorTable& table) const;
    std::uint32_t IndexAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    std::uint32_t KeyAt(int row) const { return (*m_keys)[IndexAt(row)]; }
    std::span<const std::uint32_t> Rows() const { return m_rows; }
    // The row of a key; -1 when it is not listed.
    int RowOf(std::uint32_t key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<const std::vector<std::uint32_t>> m_keys;
    std::vector<std::uint32_t> m_rows;
};

// The list's selection is the colour table's. Qt's item views ask their
// selection model to select and deselect; this one hands every request on
// as a change of the table's selection and keeps no selection of its own,
// so that millions of selected colours cost Qt nothing.
class CColorSelectionModel final : public QItemSelectionModel {
    Q_OBJECT
public:
    // Carries out a change of the table's selection (and everything that
    // goes with one).
    using Change = std::function<void(const std::function<void(CSelectionEdit&)>&)>;

    CColorSelectionModel(CColorListModel* model, Change change, QObject* parent = nullptr);

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
    // The rows a drag is selecting start afresh (the rows were rebuilt).
    void Forget();

private:
    CColorListModel* m_model;
    Change m_change;
    // What the request being extended by a drag (Qt's "current" selection)
    // did: its rows, and of them the entries that were selected before.
    QItemSelection m_currentRows;
    std::vector<std::uint32_t> m_currentWereSelected;
};

} // namespace tintor
