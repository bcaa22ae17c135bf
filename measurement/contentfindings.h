// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurementfile.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <initializer_list>

// What a measurement's content makes the viewer show wrongly. The findings are kept in the index with
// each file's digest, so they live with the measurement they describe, in a form that does not depend
// on the language of whoever read the file first.
namespace measurement {

// What the check finds in the content of a measurement that could be read, in the order found, each
// as storedFinding() writes it.
QStringList contentFindingTexts(const Measurement &read);
// Names the rules of contentFindingTexts for the index: change it whenever they change.
QString contentRulesVersion();

// A finding as stored: the English text with its blanks and what fills them (a fill may be a finding
// of its own).
QJsonArray finding(const char *text, std::initializer_list<QJsonValue> fills = {});
QString storedFinding(const QJsonArray &finding);
// A stored finding in the reader's language; a text that is no stored finding is shown as it is.
QString findingText(const QString &stored);
// The same in English whatever the language of the messages: for a store that readers of every
// language share.
QString englishFindingText(const QString &stored);

} // namespace measurement
