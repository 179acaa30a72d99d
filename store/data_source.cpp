#include "store/data_source.h"

#include <algorithm>

#include "store/table_cursor.h"

namespace store {

DataSource::DataSource(std::string name, TableCursor& cursor) : name_(std::move(name)), cursor_(&cursor)
{
    cursor_->attach(this);
}

DataSource::~DataSource()
{
    cursor_->detach(this);
}

void DataSource::attach(DataLink* link)
{
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void DataSource::detach(DataLink* link)
{
    std::erase(links_, link);
}

bool DataSource::Edit()
{
    if (!cursor_->Active())
        return false;
    if (cursor_->State() != CursorState::Browse)
        return true;
    if (!autoEdit_)
        return false;
    cursor_->Edit();
    return cursor_->State() != CursorState::Browse;
}

void DataSource::EnableControls()
{
    if (disabled_ == 0 || --disabled_ > 0 || !missed_)
        return;
    missed_ = false;
    recordChanged();
}

// Copies: a view may detach while it is told.
void DataSource::recordChanged()
{
    if (disabled_ > 0) {
        missed_ = true;
        return;
    }
    for (DataLink* link : std::vector<DataLink*>(links_))
        link->recordChanged();
}

void DataSource::fieldChanged(int fieldIndex)
{
    if (disabled_ > 0) {
        missed_ = true;
        return;
    }
    for (DataLink* link : std::vector<DataLink*>(links_))
        link->fieldChanged(fieldIndex);
}

void DataSource::updateRecord()
{
    for (DataLink* link : std::vector<DataLink*>(links_))
        link->updateRecord();
}

void DataSource::stateChanged()
{
    if (disabled_ > 0) {
        missed_ = true;
        return;
    }
    for (DataLink* link : std::vector<DataLink*>(links_))
        link->stateChanged();
}

}  // namespace store
