#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

namespace store {

class TableCursor;

// What a record-bound view hears from its data source.
class DataLink {
public:
    virtual ~DataLink() = default;
    // The cursor opened, closed, moved, located, appended, posted, deleted or reloaded: show the field
    // of the record that is current now. May throw store::Error (an undecodable picture), which ends
    // the cursor operation that caused the refresh.
    virtual void recordChanged() = 0;
    // A field of the current record was assigned.
    virtual void fieldChanged(int fieldIndex) = 0;
    // The cursor is about to settle or post: write what the user typed into the pending record.
    virtual void updateRecord() = 0;
    // The cursor changed between browse, edit and insert.
    virtual void stateChanged() {}
};

// Connects views to one cursor. Auto-edit lets typing put the current record into edit state.
class DataSource {
public:
    DataSource(std::string name, TableCursor& cursor);
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    const std::string& name() const { return name_; }
    TableCursor& DataSet() const { return *cursor_; }
    bool AutoEdit() const { return autoEdit_; }
    void setAutoEdit(bool on) { autoEdit_ = on; }

    void attach(DataLink* link);
    void detach(DataLink* link);

    // While disabled, views are not refreshed; the user's typing is still written before the cursor
    // settles. Enabling refreshes them once, so that a loop of cursor operations lays out and decodes
    // only the record it ends on. Nests.
    void DisableControls() { ++disabled_; }
    // May throw what a view's refresh throws (an undecodable picture).
    void EnableControls();
    bool ControlsDisabled() const { return disabled_ > 0; }

    // A view asks for the right to change the record. True when the record is (now) in edit or insert
    // state; false when it cannot be edited (cursor closed, auto-edit off), so the keystroke is dropped.
    bool Edit();

    // Called by the cursor only.
    void recordChanged();
    void fieldChanged(int fieldIndex);
    void updateRecord();
    void stateChanged();

private:
    std::string name_;
    TableCursor* cursor_;
    bool autoEdit_ = true;
    std::vector<DataLink*> links_;
    int disabled_ = 0;
    bool missed_ = false;
};

// Runs `work` with the views of `sources` not refreshed, then refreshes them once. A failure of
// `work` wins over one of the refresh that follows it.
template <typename Work>
void withControlsDisabled(std::initializer_list<DataSource*> sources, Work&& work)
{
    for (DataSource* s : sources)
        s->DisableControls();
    try {
        work();
    } catch (...) {
        for (DataSource* s : sources) {
            try {
                s->EnableControls();
            } catch (...) {
            }
        }
        throw;
    }
    std::exception_ptr first;
    for (DataSource* s : sources) {
        try {
            s->EnableControls();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

}  // namespace store
