#pragma once
// The periodogram's sums at many evenly spaced frequencies at once, after
// Press & Rybicki (1989): each observation is spread ("extirpolated") onto
// the nodes of a regular mesh so that a sum of sines over the observations
// becomes one over the mesh, which an FFT gives at every frequency together.
// Close to, not equal to, the sums taken directly.

#include <fftw3.h>

#include <QtGlobal>

#include <vector>

namespace Period {

struct Series;

// The observations spread on a mesh for frequencies `step` apart; shared,
// read only, by the threads that each hold a MeshSums.
class Mesh
{
public:
    // For grids of `frequencies` frequencies: a smaller mesh serves a small grid.
    Mesh(const Series &series, double step, qsizetype frequencies);

    // The most frequencies one MeshSums::sums() call gives.
    qsizetype most() const { return m_size / Oversampling; }
    qsizetype size() const { return m_size; }

    // The mesh is this many times finer than the frequencies it serves:
    // with Nodes nodes, the power comes out within a few millionths of the
    // highest.
    static constexpr qsizetype Oversampling = 4;
    static constexpr int Nodes = 12;
    // How many nodes an observation's first lies before the node below it.
    static constexpr int FirstNodeBack = Nodes / 2 - 1;
    // Nodes in the largest mesh: 4 MB of complex numbers per thread.
    static constexpr qsizetype MostNodes = qsizetype(1) << 18;

private:
    friend class MeshSums;
    // Where an observation falls on the mesh: its first node and the weight
    // of each of the Nodes nodes from there on.
    struct Place
    {
        std::vector<qsizetype> first;
        std::vector<double> weight; // Nodes per observation
    };
    Place placed(double step) const;

    const Series &m_series;
    qsizetype m_size;
    std::vector<double> m_wy; // weight × magnitude from the mean
    Place m_once, m_twice;    // for the frequencies, and for twice them
};

// One thread's mesh and FFT.
class MeshSums
{
public:
    explicit MeshSums(const Mesh &mesh);
    ~MeshSums();
    MeshSums(const MeshSums &) = delete;
    MeshSums &operator=(const MeshSums &) = delete;

    // At the `count` (at most mesh.most()) frequencies from `first` on, six
    // numbers each: Σw·y·cos, Σw·y·sin, Σw·cos, Σw·sin, Σw·cos 2, Σw·sin 2
    // of the phase 2π·f·t, y from the mean.
    void sums(double first, qsizetype count, double *out);

private:
    // Spreads value·(cos, sin) of each observation by `place`, then takes
    // the FFT; the mesh then holds the complex sums.
    void transform(const Mesh::Place &place, const double *value, const std::vector<double> &cos,
                   const std::vector<double> &sin);

    const Mesh &m_mesh;
    fftw_complex *m_nodes;
    fftw_plan m_plan;
    std::vector<double> m_cos, m_sin, m_cos2, m_sin2;
};

} // namespace Period
