#include "bench/learning_views.h"

namespace bench {

LearningViews::LearningViews(store::DataSource& source)
{
    window.resize(1296, 723);
    question.setGeometry(78, 179, 397, 331);
    a.setGeometry(497, 109, 588, 160);
    b.setGeometry(497, 262, 588, 166);
    c.setGeometry(496, 426, 589, 157);
    picture.setGeometry(1086, 109, 187, 474);
    letter.setGeometry(150, 560, 40, 24);
    question.bind(source, "Intrebare");
    a.bind(source, "Sol1");
    b.bind(source, "Sol2");
    c.bind(source, "Sol3");
    picture.bind(source, "Poza");
    letter.bind(source, "Rb");
}

}  // namespace bench
