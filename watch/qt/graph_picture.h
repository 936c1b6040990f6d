// A graph's picture for a file: the graph as it is painted now (frozen or
// zoomed views included) with one line of context under it, so that a picture
// on its own still says when and from which sensor it was taken.
#pragma once

#include <QImage>
#include <QString>

class QWidget;

// "<local date and time> · firmware <text> · <CCD description>", from the
// program's firmware text and CCD type (Latin-1, converted).
QString ExportContextLine();

// Height of the context line in the widget's pixels (the application font's
// line and a margin above and below).
int ContextLineHeight();

// The graph's picture (QWidget::grab) on top, `context` under it in dark text
// on white (readable in any theme), shrunk to fit the graph's width. In device
// pixels: the graph's size plus ContextLineHeight() rows, both times the
// graph's device pixel ratio.
QImage GraphPicture(QWidget* graph, const QString& context);
