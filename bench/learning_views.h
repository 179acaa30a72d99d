#pragma once

#include <QWidget>

#include "store/views/db_edit.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"

namespace store {
class DataSource;
}

namespace bench {

// The learning window's six views of the bank, at that window's places and sizes in a window of its
// size, bound to `source` as it binds them: the question, the three variants, the picture and the
// answer letter.
struct LearningViews {
    explicit LearningViews(store::DataSource& source);

    QWidget window;
    store::DBMemo question{&window}, a{&window}, b{&window}, c{&window};
    store::DBImage picture{&window};
    store::DBEdit letter{&window};
};

}  // namespace bench
