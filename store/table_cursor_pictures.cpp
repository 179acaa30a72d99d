// The cursor's picture bytes: read from the file when first shown, a few kept, the rest read again.
#include <utility>

#include "store/connection.h"
#include "store/sql_text.h"
#include "store/statement.h"
#include "store/table_cursor.h"

namespace store {

const std::string& TableCursor::picture(std::int64_t rowid, int index)
{
    for (auto it = pictures_.begin(); it != pictures_.end(); ++it)
        if (it->rowid == rowid && it->field == index) {
            pictures_.splice(pictures_.begin(), pictures_, it);
            return pictures_.front().bytes;
        }
    Statement select(connection_->handle(), "SELECT " + quoteIdentifier(columns_[index].name) + " FROM " +
                                                quoteIdentifier(tableName_) + " WHERE rowid = ?");
    if (!select.ok())
        failEngine(unreadableTable());
    select.bindInteger(1, rowid);
    const Statement::Step step = select.step();
    if (step == Statement::Step::Failed)
        failEngine(unreadableTable());
    keepPicture(rowid, index, step == Statement::Step::Row ? select.text(0) : std::string());
    return pictures_.front().bytes;
}

void TableCursor::keepPicture(std::int64_t rowid, int index, std::string bytes)
{
    for (auto it = pictures_.begin(); it != pictures_.end(); ++it)
        if (it->rowid == rowid && it->field == index) {
            pictureBytes_ -= it->bytes.size();
            pictures_.erase(it);
            break;
        }
    pictureBytes_ += bytes.size();
    pictures_.push_front({rowid, index, std::move(bytes)});
    // The newest always stays, however large.
    while (pictureBytes_ > kPictureBytesKept && pictures_.size() > 1) {
        pictureBytes_ -= pictures_.back().bytes.size();
        pictures_.pop_back();
    }
}

const std::string* TableCursor::heldPicture(const Row& row, int index) const
{
    if (!(row.unread & (std::uint64_t{1} << index)))
        return nullptr;
    for (const CachedPicture& cached : pictures_)
        if (cached.rowid == row.rowid && cached.field == index)
            return &cached.bytes;
    return nullptr;
}

void TableCursor::forgetPictures(std::int64_t rowid)
{
    for (auto it = pictures_.begin(); it != pictures_.end();)
        if (it->rowid == rowid) {
            pictureBytes_ -= it->bytes.size();
            it = pictures_.erase(it);
        } else {
            ++it;
        }
}

void TableCursor::clearPictures()
{
    pictures_.clear();
    pictureBytes_ = 0;
}

}  // namespace store
