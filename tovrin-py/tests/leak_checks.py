"""Measures what repeated calls leave behind, for the leak tests of both classes."""

import gc
import tracemalloc


def objects_left_behind(calls):
    """How many more objects the collector tracks after 2000 more calls."""
    for _ in range(50):
        calls()
    gc.collect()
    before = len(gc.get_objects())
    for _ in range(2000):
        calls()
    gc.collect()
    return len(gc.get_objects()) - before


def memory_left_behind(calls):
    """How many more bytes are allocated after 2000 more calls, once warmed up."""
    for _ in range(50):
        calls()
    gc.collect()
    tracemalloc.start()
    try:
        for _ in range(200):
            calls()
        gc.collect()
        first, _ = tracemalloc.get_traced_memory()
        for _ in range(2000):
            calls()
        gc.collect()
        second, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    return second - first
