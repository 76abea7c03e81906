#pragma once
// Which legend class, and so which exact colour, a value of the weather model gets.
#include <QRgb>
#include <QString>
#include <QVector>

class LegendScale {
public:
    explicit LegendScale(const char *kindKey);

    int size() const { return int(m_colours.size()); }
    bool isEmpty() const { return m_colours.isEmpty(); }
    int classOf(float value) const;
    // The same, faster when the class is most often hint's (neighbouring pixels).
    int classOf(float value, int hint) const
    {
        const bool above = hint == 0 || value >= m_thresholds[hint - 1];
        const bool below = hint == size() - 1 || value < m_thresholds[hint];
        return above && below ? hint : classOf(value);
    }
    QRgb colour(int index) const { return m_colours[index]; }
    QRgb colourOf(float value) const { return m_colours[classOf(value)]; }
    // What the viewer's decoder makes of class index, in the unit of the model's quantity.
    double classValue(int index) const { return m_values[index]; }
    // The label written beside the class in the legend strip.
    QString label(int index) const;
    bool contains(QRgb colour) const;

private:
    QString m_key;
    QVector<QRgb> m_colours;
    QVector<double> m_values;
    QVector<float> m_thresholds;  // value at which class i+1 begins
};
