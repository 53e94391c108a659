"""The overlay from Python: every category with its marks in world space, a failing frame's
named column, and bad arguments named."""
import numpy as np
import pytest

import lidshaper

COLUMNS = 24
LEFT_BETWEEN = "lidShaper__eyes__L_eye__upperLidBetweenIdxs"


def deformed(plugin, sample, attrs):
    result = plugin.create(sample.node_name).deform(attrs, sample.points)
    return result, lidshaper.overlay(attrs, result.points, errors=list(result.errors))


def test_every_category_has_its_marks_where_the_node_put_the_points(plugin, sample):
    result, marks = deformed(plugin, sample, sample.frame_attributes(0))
    assert [name for name, _, _ in lidshaper.overlay_categories()] == list(marks)
    assert len(marks["columns"]["lines"]) == 2 * 2 * COLUMNS * 2  # eyes, lids, columns, skin and socket
    assert len(marks["surface"]["points"]) == 2 * 2 * COLUMNS * 2
    assert [text for text, _ in marks["corners"]["labels"]] == ["corner 0", "corner 1"] * 2
    assert marks["failure"]["points"].shape == (0, 3)
    inner = sample.frame_attributes(0)["lidShaper__eyes__L_eye__upperLidInnerIdxs"].values
    first_column = marks["columns"]["lines"][0]
    np.testing.assert_array_equal(first_column[0], result.points[inner[0]])


def test_a_failing_frame_marks_the_column_its_error_names(plugin, sample):
    attrs = sample.frame_attributes(0)
    between = list(attrs[LEFT_BETWEEN].values)
    rows = len(between) // COLUMNS
    between[5 * rows + 1] = 10**8
    attrs[LEFT_BETWEEN] = lidshaper.Value("RgInt", values=between)
    result, marks = deformed(plugin, sample, attrs)
    assert result.status_name == "Failure"
    (text, _), = marks["failure"]["labels"]
    assert text == f"upperLidBetweenIdxs[{5 * rows + 1}]: column 5"
    inner = attrs["lidShaper__eyes__L_eye__upperLidInnerIdxs"].values
    assert any(np.allclose(point, result.points[inner[5]]) for point in marks["failure"]["points"])


@pytest.mark.parametrize("arguments, error, message", [
    (lambda s: ({}, np.zeros((3, 2))), ValueError, "points"),
    (lambda s: ({}, s.points, np.eye(3)), ValueError, "matrix"),
    (lambda s: ({"ENVELOPE": "x"}, s.points), TypeError, "attrs['ENVELOPE']"),
])
def test_bad_arguments_are_named(sample, arguments, error, message):
    with pytest.raises(error, match=message.replace("[", r"\[").replace("]", r"\]")):
        lidshaper.overlay(*arguments(sample))
