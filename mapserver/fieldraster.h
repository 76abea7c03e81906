#pragma once
// The weather model sampled for one picture: exact on a coarse lattice, interpolated
// between its points (the fields are smooth, and this keeps a map fast to paint).
#include "mapserver/mapkinds.h"
#include "mapserver/weathermodel.h"

#include <QRect>
#include <QVector>

class FieldRaster {
public:
    FieldRaster(const WeatherModel &model, MapFrame frame, const QRect &area, int spacing = 7);

    // One quantity at every pixel of the area, row by row.
    QVector<float> plane(float (*quantity)(const WeatherSample &)) const;
    // The sample at lattice point nearest to picture pixel (px, py).
    const WeatherSample &nearest(int px, int py) const;
    const QRect &area() const { return m_area; }

    // The lattice itself: column c, row r lies on picture pixel area.topLeft() + spacing * (c, r).
    int columns() const { return m_cols; }
    int rows() const { return m_rows; }
    int spacing() const { return m_spacing; }
    const WeatherSample &at(int c, int r) const { return m_samples[r * m_cols + c]; }

private:
    QRect m_area;
    int m_spacing;
    int m_cols;
    int m_rows;
    QVector<WeatherSample> m_samples;
};
