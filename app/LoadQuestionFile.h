#pragma once
// Opening and saving a question file in either window, with the toolkit's
// progress dialog for a long one: a save of it that was cut off while it was
// rewritten in place is offered back first.
#include "app/Toolkit.h"
#include "data/LineList.h"

// Loads the file at `path` into `list` (see LineList::Load). When an earlier
// save of the file was cut off, asks in a box owned by `owner` whether to put
// back what the file held before that save; Yes puts it back, any other
// answer leaves the file (and the kept copy) as it is.
void loadQuestionFile(Toolkit &toolkit, QWidget *owner, LineList &list, const QString &path);
// Saves `list` to the file at `path` (see LineList::Save).
void saveQuestionFile(Toolkit &toolkit, QWidget *owner, const LineList &list, const QString &path);
