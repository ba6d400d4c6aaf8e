#include "meshsums.h"

#include "points.h"

#include <cmath>
#include <mutex>
#include <new>

namespace Period {

namespace {

constexpr double TwoPi = 6.283185307179586;

// FFTW's planner is not safe to call from two threads at once; running a plan is.
std::mutex planning;

qsizetype powerOfTwoFrom(qsizetype n)
{
    qsizetype size = 64;
    while (size < n && size < Mesh::MostNodes)
        size *= 2;
    return size;
}

} // namespace

Mesh::Mesh(const Series &series, double step, qsizetype frequencies)
    : m_series(series)
    , m_size(powerOfTwoFrom(frequencies * Oversampling))
    , m_wy(series.size())
{
    for (size_t i = 0; i < series.size(); ++i)
        m_wy[i] = series.w[i] * (series.y[i] - series.mean);
    m_once = placed(step);
    m_twice = placed(2 * step);
}

Mesh::Place Mesh::placed(double step) const
{
    // The Lagrange polynomial through Nodes nodes that is 1 at one of them
    // and 0 at the others: its denominator depends on the node alone.
    double denominator[Nodes];
    for (int m = 0; m < Nodes; ++m) {
        denominator[m] = 1;
        for (int n = 0; n < Nodes; ++n)
            if (n != m)
                denominator[m] *= double(m - n);
    }
    const double size = double(m_size);
    Place place;
    place.first.resize(m_series.size());
    place.weight.resize(m_series.size() * Nodes);
    for (size_t i = 0; i < m_series.size(); ++i) {
        // The node at x turns e^{2πi·k·x/size} with the k-th frequency as the
        // observation turns e^{2πi·k·step·t}: the same for whole k, modulo size.
        double x = std::fmod(m_series.t[i] * step * size, size);
        if (x < 0)
            x += size;
        const double below = std::floor(x);
        place.first[i] = qsizetype(below) - FirstNodeBack;
        const double d = x - below + double(FirstNodeBack); // from the first node
        for (int m = 0; m < Nodes; ++m) {
            double product = 1;
            for (int n = 0; n < Nodes; ++n)
                if (n != m)
                    product *= d - n;
            place.weight[i * Nodes + size_t(m)] = product / denominator[m];
        }
    }
    return place;
}

MeshSums::MeshSums(const Mesh &mesh)
    : m_mesh(mesh)
    , m_nodes(fftw_alloc_complex(size_t(mesh.size())))
    , m_cos(mesh.m_series.size())
    , m_sin(mesh.m_series.size())
    , m_cos2(mesh.m_series.size())
    , m_sin2(mesh.m_series.size())
{
    if (!m_nodes)
        throw std::bad_alloc();
    const std::lock_guard<std::mutex> lock(planning);
    m_plan = fftw_plan_dft_1d(int(mesh.size()), m_nodes, m_nodes, FFTW_BACKWARD, FFTW_ESTIMATE);
    if (!m_plan) {
        fftw_free(m_nodes);
        throw std::bad_alloc();
    }
}

MeshSums::~MeshSums()
{
    {
        const std::lock_guard<std::mutex> lock(planning);
        fftw_destroy_plan(m_plan);
    }
    fftw_free(m_nodes);
}

void MeshSums::transform(const Mesh::Place &place, const double *value, const std::vector<double> &cos,
                         const std::vector<double> &sin)
{
    const qsizetype wrap = m_mesh.size() - 1;
    std::fill_n(&m_nodes[0][0], 2 * m_mesh.size(), 0.0);
    for (size_t i = 0; i < cos.size(); ++i) {
        const double re = value[i] * cos[i], im = value[i] * sin[i];
        const double *weight = &place.weight[i * Mesh::Nodes];
        for (int m = 0; m < Mesh::Nodes; ++m) {
            fftw_complex &node = m_nodes[(place.first[i] + m) & wrap];
            node[0] += re * weight[m];
            node[1] += im * weight[m];
        }
    }
    fftw_execute(m_plan);
}

void MeshSums::sums(double first, qsizetype count, double *out)
{
    const Series &series = m_mesh.m_series;
    // The phase at the first frequency, which the mesh then turns on.
    for (size_t i = 0; i < series.size(); ++i) {
        const double angle = TwoPi * first * series.t[i];
        m_cos[i] = std::cos(angle);
        m_sin[i] = std::sin(angle);
        m_cos2[i] = m_cos[i] * m_cos[i] - m_sin[i] * m_sin[i];
        m_sin2[i] = 2 * m_cos[i] * m_sin[i];
    }
    const auto harvest = [&](int at) {
        for (qsizetype k = 0; k < count; ++k) {
            out[k * 6 + at] = m_nodes[k][0];
            out[k * 6 + at + 1] = m_nodes[k][1];
        }
    };
    transform(m_mesh.m_once, m_mesh.m_wy.data(), m_cos, m_sin);
    harvest(0);
    transform(m_mesh.m_once, series.w.data(), m_cos, m_sin);
    harvest(2);
    transform(m_mesh.m_twice, series.w.data(), m_cos2, m_sin2);
    harvest(4);
}

} // namespace Period
