"""BDEW EDI@Energy market communication: EDIFACT, Fristen and market identifiers."""

from quorvane import _native

__all__ = ["_native"]
