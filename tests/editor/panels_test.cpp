#include "editor/material_edit_view_controller.h"
#include "editor/plane_creation_view_controller.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

struct FixedProvider : MeshProvider {
    MeshPtr selected;
    MeshPtr mesh() const override { return selected; }
};

class PanelsTest : public ::testing::Test {
  protected:
    FixedProvider provider;
    PlaneCreationViewController plane{&provider};
    MaterialEditViewController material{&provider};
    MeshPtr grid = Mesh::make(Model::makeQuad(Model::Params::make(3, 4)), "Quad");
    MeshPtr cube = Mesh::make(Model::makeCube(), "Cube");
};

TEST_F(PanelsTest, RowsAndColumnsAreAbsentAndUnwritableForACubeNoMeshOrNoProvider) {
    provider.selected = cube;
    int changes = 0;
    plane.rowsChanged.connect([&] { ++changes; });
    plane.columnsChanged.connect([&] { ++changes; });
    EXPECT_FALSE(plane.rows().has_value());
    EXPECT_FALSE(plane.columns().has_value());
    plane.setColumns(5);
    plane.setRows(5);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(cube->model()->generatorContext().has_value());
    provider.selected = nullptr;
    EXPECT_FALSE(plane.rows().has_value());
    PlaneCreationViewController unbound;
    EXPECT_FALSE(unbound.columns().has_value());
}

TEST_F(PanelsTest, WritingTwelveRowsStoresTenAndTheGridRegeneratesWithIt) {
    provider.selected = grid;
    EXPECT_EQ(plane.rows(), 4);
    EXPECT_EQ(plane.columns(), 3);
    int changes = 0;
    plane.rowsChanged.connect([&] { ++changes; });

    plane.setRows(12);

    EXPECT_EQ(plane.rows(), 10);
    EXPECT_EQ(grid->model()->params()->v(), 10);
    EXPECT_EQ(changes, 1);
    // (3 + 1) × (10 + 1) points, two triangles per cell.
    const LayerPtr layer = grid->model()->layers().at(0);
    EXPECT_EQ(layer->points.size(), 44u);
    EXPECT_EQ(layer->polygons.size(), 60u);
}

TEST_F(PanelsTest, AnEmptyOrUnchangedWriteKeepsTheCountsQuietly) {
    provider.selected = grid;
    int changes = 0;
    plane.rowsChanged.connect([&] { ++changes; });
    plane.columnsChanged.connect([&] { ++changes; });

    plane.setRows(std::nullopt);
    plane.setColumns(std::nullopt);
    plane.setColumns(3.7);

    EXPECT_EQ(plane.rows(), 4);
    EXPECT_EQ(plane.columns(), 3);
    EXPECT_EQ(changes, 0);
}

TEST_F(PanelsTest, TheSliderMiddleHalvesOpacityAndAnotherMeshShowsItsOwn) {
    provider.selected = grid;
    int changes = 0;
    material.opacityChanged.connect([&] { ++changes; });

    material.slideAlpha(50, 100);
    EXPECT_EQ(grid->material->opacity, 0.5f);
    EXPECT_EQ(changes, 1);

    cube->material->opacity = 0.25f;
    provider.selected = cube;
    EXPECT_DOUBLE_EQ(*material.sliderValue(), 25.0);
    provider.selected = grid;
    EXPECT_DOUBLE_EQ(*material.sliderValue(), 50.0);
}

TEST_F(PanelsTest, WithoutAMeshTheSliderShowsNothingAndMovesNothing) {
    int changes = 0;
    material.opacityChanged.connect([&] { ++changes; });

    EXPECT_FALSE(material.sliderValue().has_value());
    material.slideAlpha(10, 100);

    EXPECT_EQ(changes, 0);
    EXPECT_EQ(grid->material->opacity, 1.0f);
}

} // namespace
} // namespace tessel
