#pragma once

#include "results/export_csv.h"
#include "results/overview.h"
#include "results/practice_draw.h"
#include "results/record.h"
#include "results/rules.h"
#include "results/student.h"
#include "results/types.h"
