#pragma once

#include "Control/LightingView.h"
#include "Model/LightingModel.h"

#include <QJsonObject>
#include <QString>

// The status command's report of a refreshed controller: text for people, JSON for scripts.
class CliStatusReport {
public:
    CliStatusReport(const LightingModel& model, const LightingView& view)
        : model_(model), view_(view) {}

    QString Text() const;
    QJsonObject Json() const;
    // Prints the report on stdout, as JSON or text, with the record dump when asked for.
    void Print(bool json, bool dump) const;

private:
    const LightingModel& model_;
    const LightingView& view_;
};
