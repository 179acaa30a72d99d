#include "store/views/field_link.h"

#include "store/connection.h"
#include "store/error.h"

namespace store {

FieldLink::~FieldLink()
{
    if (source_)
        source_->detach(this);
}

void FieldLink::bind(DataSource& source, const std::string& fieldName)
{
    if (source_)
        source_->detach(this);
    source_ = &source;
    fieldName_ = fieldName;
    source_->attach(this);
    recordChanged();
}

void FieldLink::lookUpField()
{
    field_ = source_->DataSet().fieldIndex(fieldName_);
    if (!field_)
        throw Error(source_->DataSet().name() + ": Field '" + fieldName_ + "' not found");
}

const FailureReporter* FieldLink::failureReporter() const
{
    const Connection* connection = source_ ? source_->DataSet().connection() : nullptr;
    return connection ? &connection->failureReporter() : nullptr;
}

const TableCursor::Column* FieldLink::column() const
{
    return field_ ? &source_->DataSet().columns().at(*field_) : nullptr;
}

std::string FieldLink::value() const
{
    if (!field_ || !source_->DataSet().hasCurrentRecord())
        return {};
    return source_->DataSet().fieldText(*field_);
}

void FieldLink::assign(const std::string& text) const
{
    if (field_)
        source_->DataSet().setFieldText(*field_, text);
}

bool FieldLink::beginEdit() const
{
    return source_ && field_ && source_->Edit();
}

void FieldLink::recordChanged()
{
    const bool active = source_ && source_->DataSet().Active();
    if (active && !cursorWasActive_) {
        // The field is looked up once per opening; a missing one is reported then, and shows nothing.
        cursorWasActive_ = true;
        field_.reset();
        refresh();
        lookUpField();
    } else if (!active) {
        cursorWasActive_ = false;
        field_.reset();
    }
    refresh();
}

void FieldLink::fieldChanged(int fieldIndex)
{
    if (field_ && *field_ == fieldIndex)
        refresh();
}

void FieldLink::updateRecord()
{
    if (field_)
        writeChanges();
}

}  // namespace store
