"""Which nodes the rows of a node table (a pandas DataFrame) are.

A table read with ``pd.read_csv`` has pandas' default index 0..n-1 and its node labels in a
column; taking the index for the labels shifts every attribute by one node when the labels are
1..n. The rules, those of the command line's attribute files: a default index gives way to a
column whose values name the edge list's nodes (``node_key`` names it outright); a default index
must name an edge list's node in every row; and a table whose rows name more new (isolated)
nodes than nodes of the edge list is another network's, refused.
"""

from __future__ import annotations

import math
import numbers
import warnings
from typing import Any, Dict, Hashable, List, NamedTuple, Optional, Sequence

from .errors import ArgumentError, TarnwickWarning

# The columns that hold node labels as people name them (igraph and statnet's vertex.names).
KEY_COLUMNS = ("id", "name", "node", "label", "vertex.names")


def canonical(key: Any) -> Any:
    """A label as the edge list would hold it: 3.0 (pandas' integers beside a missing value)
    and numpy's integers are the int 3."""
    if isinstance(key, bool):
        return key
    if isinstance(key, numbers.Integral):
        return int(key)
    if isinstance(key, numbers.Real) and math.isfinite(float(key)) and float(key).is_integer():
        return int(key)
    return key


class _Matcher:
    """Finds the edge list's node a table's label stands for: the same key, or the same text
    (``"3"`` for 3, as the command line reads every label as text)."""

    def __init__(self, nodes: Sequence[Hashable]) -> None:
        self.nodes = {node: node for node in nodes}
        self.by_text: Dict[str, Hashable] = {}
        for node in nodes:
            self.by_text.setdefault(str(canonical(node)), node)

    def node_of(self, key: Any) -> Optional[Hashable]:
        try:
            if key in self.nodes:
                return self.nodes[key]
        except TypeError:  # unhashable
            return None
        return self.by_text.get(str(canonical(key)))

    def count(self, keys: Sequence[Any]) -> int:
        return sum(1 for key in keys if self.node_of(key) is not None)


class TableLabels(NamedTuple):
    """The node of each row of the table, in row order (the edge list's own key where a row
    names one of its nodes), and the number of rows that do."""

    nodes: List[Hashable]
    matching: int


def _default_index(index) -> bool:
    import pandas as pd

    return (
        isinstance(index, pd.RangeIndex)
        and index.start == 0
        and index.step == 1
        and index.name is None
    )


def _unique(values: Sequence[Any]) -> bool:
    try:
        return len(set(values)) == len(values)
    except TypeError:
        return False


def _key_column(table, matcher: _Matcher, index_matching: int) -> Optional[str]:
    """The column that holds the labels where the index is pandas' default: one of KEY_COLUMNS,
    or the first column, with distinct values that name at least as many nodes as the index."""
    candidates = [c for c in KEY_COLUMNS if c in table.columns]
    if len(table.columns) and table.columns[0] not in candidates:
        candidates.append(table.columns[0])
    best, best_matching = None, 0
    for column in candidates:
        values = list(table[column])
        if not _unique(values):
            continue
        matching = matcher.count(values)
        if matching > best_matching:
            best, best_matching = column, matching
    return best if best is not None and best_matching >= index_matching else None


def table_labels(table, edge_nodes: Sequence[Hashable], node_key: Optional[str] = None):
    """The node of each row of ``table`` (see the module's rules) and the columns that are
    attributes; warns of a column taken for the labels, of rows that add isolated nodes and of
    nodes without a row. Raises ArgumentError for a table refused."""
    matcher = _Matcher(edge_nodes)
    rows = len(table)
    attribute_columns = list(table.columns)
    if node_key is not None:
        if node_key not in table.columns:
            raise ArgumentError(
                f"node_key={node_key!r}: the node table has no such column (its columns: "
                f"{', '.join(map(str, table.columns))})"
            )
        keys, what = list(table[node_key]), f"its column {node_key!r}"
        attribute_columns.remove(node_key)
    else:
        keys, what = list(table.index), "its index"
        if edge_nodes and _default_index(table.index):
            column = _key_column(table, matcher, matcher.count(keys))
            if column is not None:
                keys, what = list(table[column]), f"its column {column!r}"
                attribute_columns.remove(column)
                warnings.warn(
                    f"the node table's column {column!r} names the nodes ({matcher.count(keys)} "
                    f"of its {rows} rows name nodes of the edge list), not its index, pandas' "
                    "default 0 to n-1; give node_key= to name the column yourself",
                    TarnwickWarning,
                    stacklevel=4,
                )
    if any(_missing_key(k) for k in keys):
        raise ArgumentError(f"the node table has a row without a node label in {what}")
    if not _unique([canonical(k) for k in keys]):
        raise ArgumentError(f"the node table names a node twice in {what}")
    nodes: List[Hashable] = []
    matching = 0
    for key in keys:
        node = matcher.node_of(key)
        matching += node is not None
        nodes.append(canonical(key) if node is None else node)
    _check(rows, matching, len(set(edge_nodes)), what, what == "its index" and
           _default_index(table.index))
    missing = len(set(edge_nodes)) - len({n for n in nodes if matcher.node_of(n) is not None})
    if edge_nodes and matching < rows:
        one = rows - matching == 1
        warnings.warn(
            f"{rows - matching} {'row' if one else 'rows'} of the node table "
            f"{'names' if one else 'name'} no node of the edge list: "
            f"{'it is an isolated node' if one else 'they are isolated nodes'} of the network",
            TarnwickWarning,
            stacklevel=4,
        )
    if missing > 0:
        one = missing == 1
        warnings.warn(
            f"{missing} of the {len(set(edge_nodes))} nodes of the edge list "
            f"{'has' if one else 'have'} no row in the node table: "
            f"{'its' if one else 'their'} attributes are missing",
            TarnwickWarning,
            stacklevel=4,
        )
    return TableLabels(nodes, matching), attribute_columns


def _missing_key(key: Any) -> bool:
    return key is None or (isinstance(key, float) and math.isnan(key))


def _check(rows: int, matching: int, edge_nodes: int, what: str, default_index: bool) -> None:
    """Refuses a table whose labels are not the edge list's (see the module's rules)."""
    if edge_nodes == 0 or matching == rows:
        return
    if default_index:
        raise ArgumentError(
            f"the node table's index is pandas' default 0 to {rows - 1}, and it names a node of "
            f"the edge list in {matching} of its {rows} rows: read as labels it would shift the "
            "attributes or add isolated nodes. Name the column of node labels with node_key= "
            "(or set_index); to mean the numbers 0 to n-1, give the index a name "
            "(rename_axis('node'))"
        )
    if rows - matching > matching:
        raise ArgumentError(
            f"the node table's labels ({what}) name a node of the edge list in {matching} of its "
            f"{rows} rows: the other {rows - matching} would be isolated nodes, more than the "
            "rows that match. Its labels must name the nodes as the edge list does (node_key= "
            "names the column that holds them)"
        )


def _integral(n: Any) -> bool:
    return isinstance(n, numbers.Integral) and not isinstance(n, bool)


def check_graph_labels(nodes: Sequence[Hashable], data: Dict[Hashable, Dict[str, Any]]) -> None:
    """Refuses a graph with integer nodes from 0 or 1 whose label attribute (``id``, ``name``
    ...) names other nodes of the graph than its own: attributes set from a table by another
    numbering (``nx.set_node_attributes(graph, table.to_dict("index"))`` with pandas' default
    index), every one on the wrong node."""
    numbered = [n for n in nodes if type(n) is int or _integral(n)]
    if not nodes or len(numbered) != len(nodes) or min(numbered) not in (0, 1):
        return
    matcher = None
    for key in KEY_COLUMNS:
        values = {n: data[n][key] for n in nodes if key in data[n]}
        if not values:
            continue
        matcher = matcher or _Matcher(nodes)
        naming = sum(1 for v in values.values() if matcher.node_of(v) is not None)
        own = sum(1 for n, v in values.items() if matcher.node_of(v) == n)
        if 2 * naming > len(values) and own < naming:
            raise ArgumentError(
                f"the graph's node attribute {key!r} names a node of the graph on {naming} of "
                f"its {len(values)} nodes, but its own node on only {own}: the attributes were "
                "set by another numbering (a table's default index 0..n-1 is one; index it by "
                f"the {key!r} column, table.set_index({key!r}), before setting them)"
            )
