#pragma once

#include <optional>
#include <string>

#include "store/data_source.h"
#include "store/error.h"
#include "store/table_cursor.h"

namespace store {

// What the three views share: the binding to one field of a data source's cursor, and the refresh on
// every change of the cursor's current record.
class FieldLink : public DataLink {
public:
    FieldLink() = default;
    ~FieldLink() override;
    FieldLink(const FieldLink&) = delete;
    FieldLink& operator=(const FieldLink&) = delete;

    // Binds the view. With the cursor open, a field the table lacks fails here with "Field 'X' not found".
    void bind(DataSource& source, const std::string& fieldName);
    DataSource* dataSource() const { return source_; }

    // The bound field's index while the cursor is open and has that field.
    std::optional<int> field() const { return field_; }
    const TableCursor::Column* column() const;
    // The field's text in the current record; empty when there is none to show.
    std::string value() const;
    // Writes the view's content into the pending record.
    void assign(const std::string& text) const;
    // Asks the data source for the right to change the record (auto-edit).
    bool beginEdit() const;

    void recordChanged() final;
    void fieldChanged(int fieldIndex) final;
    void updateRecord() final;

protected:
    // The reporter of the connection under the bound cursor, for failures of the view's own key and
    // focus handling; null while unbound.
    const FailureReporter* failureReporter() const;
    // Show the field of the current record again, dropping what was typed.
    virtual void refresh() = 0;
    // Write what the user changed, if anything, into the pending record.
    virtual void writeChanges() = 0;

private:
    void lookUpField();

    DataSource* source_ = nullptr;
    std::string fieldName_;
    std::optional<int> field_;
    bool cursorWasActive_ = false;
};

}  // namespace store
