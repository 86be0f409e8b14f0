"""Networks for tarnwick: built from networkx, pandas, scipy or igraph, or read from files.

A :class:`Network` keeps the graph's own node keys (any hashable Python objects) as its labels,
in the graph's order; the library sees them as texts (``str(key)``), and every result
(statistics, fits, simulated networks) names the nodes by the original keys again.
"""

from __future__ import annotations

import contextlib
import gc
import math
import numbers
import operator
import os
import warnings
from itertools import chain, compress, repeat
from typing import Any, Dict, Hashable, Iterable, List, Optional, Sequence, Tuple, Union

from . import _tarnwick
from .counts import (Counts, count_column, count_of, refuse_reference_alone, refuse_two_modes,
                     settled)
from .errors import ArgumentError, InputError, TarnwickWarning
from .node_table import check_graph_labels, table_labels


def _worded(record: Dict[str, Any]) -> str:
    """A note's or warning's message with each setting named as the package's keyword argument
    (``sample_size``, where the command line says ``--sample-size``)."""
    return _tarnwick.python_message(record) if record.get("settings") else record["message"]


def _missing(value: Any) -> bool:
    if value is None:
        return True
    try:
        import pandas as pd

        if value is pd.NA or value is pd.NaT:
            return True
    except ImportError:  # pragma: no cover
        pass
    return isinstance(value, float) and math.isnan(value)


def _is_number(value: Any) -> bool:
    return isinstance(value, numbers.Real) and not isinstance(value, bool)


def _attribute_column(name: str, values: List[Any]) -> Tuple[str, List[Any], str]:
    """One attribute as the library takes it: numbers (None missing) or texts."""
    present = [v for v in values if not _missing(v)]
    if present and all(_is_number(v) for v in present):
        return (name, [None if _missing(v) else float(v) for v in values], "number")

    def text(v: Any) -> Optional[str]:
        if _missing(v):
            return None
        if isinstance(v, bool):
            return "TRUE" if v else "FALSE"  # as R writes a logical
        return str(v)

    return (name, [text(v) for v in values], "text")


@contextlib.contextmanager
def _collector_paused():
    """Python's cyclic garbage collector held while a network's millions of tuples are made:
    its passes over them took more than the conversion itself (a third of 7 s for 10^6 edges)."""
    enabled = gc.isenabled()
    gc.disable()
    try:
        yield
    finally:
        if enabled:
            gc.enable()


def _label_texts(nodes: Sequence[Hashable]) -> List[str]:
    texts = [str(node) for node in nodes]
    if len(set(texts)) != len(texts):
        seen: Dict[str, Hashable] = {}
        for node, t in zip(nodes, texts):
            if t in seen:
                raise ValueError(
                    f"the nodes {seen[t]!r} and {node!r} have one label, {t!r}, as text: "
                    "tarnwick names nodes by their text, so give them distinct labels"
                )
            seen[t] = node
    return texts


def _numbered_in_order(nodes: List[Hashable]) -> bool:
    """Whether the nodes are the ints 0..n-1 in order (networkx's generators number so): each
    node is its own position."""
    return all(map(operator.is_, map(type, nodes), repeat(int))) and nodes == list(
        range(len(nodes))
    )


def _tie_values(values: Sequence[Any], source: str) -> List[Optional[bool]]:
    """Which of these link values are ties, as the file readers take values: 0 is no link, any
    other number a tie (its size unused); warns as they do. A missing value (None, NaN) says the
    dyad was not observed, neither a link nor none: None in the list (a missing dyad)."""
    ties: List[Optional[bool]] = []
    other = []
    zeros = 0
    for v in values:
        if _missing(v):
            ties.append(None)
            continue
        if v == 0:
            zeros += 1
            ties.append(False)
            continue
        if v != 1:
            other.append(v)
        ties.append(True)
    if other:
        one = len(other) == 1
        warnings.warn(
            f"{len(other)} {'link' if one else 'links'} of {source} "
            f"{'has' if one else 'have'} a value other than 0 and 1 ({other[0]!r}"
            f"{'' if one else ', for one'}): every non-zero value is read as a tie, "
            "its size is not used.",
            TarnwickWarning,
            stacklevel=3,
        )
    if zeros:
        one = zeros == 1
        warnings.warn(
            f"{zeros} {'row' if one else 'rows'} of {source} {'has' if one else 'have'} the "
            f"value 0: {'it is' if one else 'they are'} no link (a 0 in a file of links is "
            "none).",
            TarnwickWarning,
            stacklevel=3,
        )
    return ties


def _table_modes(nodes, senders, receivers, stated) -> List[int]:
    """The mode of each node of a two-mode edge table: 0 for the senders' column, 1 for the
    receivers'; a node of neither takes the mode ``stated`` (0 or 1) for it."""
    first, second = set(senders), set(receivers)
    both = first & second
    if both:
        label = next(node for node in nodes if node in both)
        raise ArgumentError(
            f"bipartite=True: {label!r} names a node of both modes (in the source and the "
            "target column); give the modes' nodes distinct labels, or read the edge list "
            "with read(path, two_mode=True), whose nodes are then (mode, label) pairs"
        )
    modes = []
    for k, node in enumerate(nodes):
        mode = 0 if node in first else 1 if node in second else None
        said = stated[k] if stated is not None else None
        if said is not None and not _missing(said):
            if said not in (0, 1) or (mode is not None and said != mode):
                where = ("is not 0 or 1" if said not in (0, 1) else
                         f"says mode {said}, but the edge table puts it in mode {mode}")
                raise ArgumentError(f"bipartite=True: the node table's row for {node!r}: its "
                                    f"column 'bipartite' {where}")
            mode = int(said)
        if mode is None:
            raise ArgumentError(
                f"bipartite=True: the node table's row for {node!r} names no node of a link; "
                "its column 'bipartite' (0: first mode, 1: second) must say its mode"
            )
        modes.append(mode)
    return modes


class Network:
    """A network as tarnwick fits it: nodes, links, whether directed, and node attributes.

    Build one with :meth:`from_networkx`, :meth:`from_pandas`, :meth:`from_scipy`,
    :meth:`from_igraph` or :func:`tarnwick.read`. ``nodes`` are the node labels (the graph's
    own keys, or the file's labels as texts), in the library's order: the nodes of the links
    in order of appearance, then the others (as the command line numbers the nodes of an edge
    list). Graphs made of it (``to_networkx``, simulated networks) list the nodes in the order
    they were given.
    """

    def __init__(
        self,
        core: "_tarnwick.Network",
        nodes: Optional[List[Hashable]] = None,
        attributes: Optional[Dict[str, List[Any]]] = None,
    ) -> None:
        self._core = core
        self.nodes: List[Hashable] = list(core.labels) if nodes is None else list(nodes)
        self._attributes: Dict[str, List[Any]] = dict(attributes or {})
        # The order in which graphs made of this network list their nodes: the order given.
        self._graph_order: List[int] = list(range(len(self.nodes)))
        # What pickling rebuilds it from: the arguments of read(), else the nodes and links;
        # and the dyadic covariates given (with_covariates).
        self._read_arguments: Optional[Dict[str, Any]] = None
        self._covariates: List[Tuple[str, List[float]]] = []
        # A network of counts: the reference measure given (the library keeps it too).
        self._reference: str = ""
        for note in map(_worded, core.note_records()):
            # The nodes given from Python without links are nodes by intent: no note for them.
            if nodes is not None and "in <nodes> and no link" in note:
                continue
            warnings.warn(note, TarnwickWarning, stacklevel=3)

    # ----- what it is

    @property
    def directed(self) -> bool:
        """Whether the links are directed (i->j) or undirected edges."""
        return self._core.directed

    @property
    def node_count(self) -> int:
        return self._core.node_count

    @property
    def bipartite(self) -> int:
        """A two-mode network: the first ``bipartite`` nodes are the first mode; 0: one mode."""
        return self._core.bipartite

    @property
    def link_count(self) -> int:
        """The links (undirected: the edges, each once)."""
        return self._core.link_count

    @property
    def attribute_names(self) -> List[str]:
        return list(self._core.attribute_names())

    @property
    def missing_dyads(self) -> List[Tuple[Hashable, Hashable]]:
        """The dyads not observed (NA), as pairs of nodes; undirected, each once."""
        return [(self.nodes[i], self.nodes[j]) for i, j in self._core.missing_dyads()]

    @property
    def notes(self) -> List[str]:
        """What the readers noticed (a header guessed, rows merged, self-links left out)."""
        return list(map(_worded, self._core.note_records()))

    @property
    def valued(self) -> bool:
        """Whether the network holds counts on its dyads (built or read with ``response=``)."""
        return self._core.valued

    @property
    def response(self) -> Optional[str]:
        """The name of the counts of a network of counts (an edge attribute, a column); None:
        binary."""
        return self._core.response if self._core.valued else None

    @property
    def reference(self) -> Optional[str]:
        """The reference measure of a network of counts as given (``"Poisson"``,
        ``"Binomial(trials=3)"``); None when not given or binary."""
        return self._reference or None

    def counts(self) -> List[Tuple[Hashable, Hashable, int]]:
        """The dyads of a count above 0 as (sender, receiver, count) (undirected: each once);
        the links of a binary network, each with the count 1."""
        nodes = self.nodes
        if not self.valued:
            return [(nodes[i], nodes[j], 1) for i, j in self._core.links()]
        senders, receivers, values = self._core.counts()
        return [(nodes[i], nodes[j], c) for i, j, c in zip(senders, receivers, values)]

    def with_reference(self, reference: str) -> "Network":
        """This network of counts with the model's reference measure, as ergm's ``reference=``
        without ``~``: ``"Poisson"``, ``"Geometric"``, ``"Binomial(trials=N)"``,
        ``"DiscUnif(a, b)"`` or ``"Bernoulli"``. Raises ArgumentError for a binary network."""
        network = Network.__new__(Network)
        network.__dict__.update(self.__dict__)
        network._core = _tarnwick.with_reference(self._core, str(reference))
        network._reference = str(reference)
        return network

    def links(self) -> List[Tuple[Hashable, Hashable]]:
        """The links as pairs of node labels (undirected: each edge once)."""
        nodes = self.nodes
        return [(nodes[i], nodes[j]) for i, j in self._core.links()]

    def attribute(self, name: str) -> List[Any]:
        """The values of an attribute given from Python, one per node (not of read files)."""
        return list(self._attributes[name])

    def with_covariates(self, covariates: Dict[str, Any]) -> "Network":
        """This network with dyadic covariates by name, which ``edgecov("name")``,
        ``dyadcov("name")`` and ``hamming("name")`` read before any file of that name.

        Each covariate is an n x n matrix: a numpy array or nested lists whose rows and columns
        follow the nodes in the order they were given (a graph's own order, as
        ``networkx.to_numpy_array`` writes it; for a network read from files, :attr:`nodes`), or
        a pandas DataFrame whose index and columns are the node labels, in any order. Row i,
        column j is the value of the dyad (i, j); undirected, the pair takes the value above the
        diagonal, else the one below. Raises ArgumentError for a matrix of another shape, a
        label that is no node, or a value that is not a number.
        """
        matrices = []
        n = self.node_count
        for name, matrix in covariates.items():
            if hasattr(matrix, "loc") and hasattr(matrix, "columns"):
                try:
                    matrix = matrix.loc[self.nodes, self.nodes]
                except KeyError as missing:
                    raise ArgumentError(
                        f"covariate \"{name}\": its index and columns must be the node labels "
                        f"({missing})"
                    ) from None
                rows = matrix.to_numpy().tolist()
            else:
                given = [list(row) for row in matrix]
                if len(given) == n and all(len(row) == n for row in given):
                    # From the order given to the library's.
                    order = self._graph_order
                    rows = [[0.0] * n for _ in range(n)]
                    for p in range(n):
                        for q in range(n):
                            rows[order[p]][order[q]] = given[p][q]
                else:
                    rows = given
            try:
                values = [float(v) for row in rows for v in row]
            except (TypeError, ValueError):
                raise ArgumentError(f"covariate \"{name}\": give numbers") from None
            if len(rows) != self.node_count or any(len(row) != self.node_count for row in rows):
                raise ArgumentError(
                    f"covariate \"{name}\": give a matrix of {self.node_count} by "
                    f"{self.node_count} values"
                )
            matrices.append((str(name), values))
        network = Network.__new__(Network)
        network.__dict__.update(self.__dict__)
        network._core = _tarnwick.with_dyadic_covariates(self._core, matrices)
        network._covariates = self._covariates + matrices
        return network

    def __reduce__(self):
        return (_rebuilt_network, (network_state(self),))

    def to_networkx(self):
        """This network as a networkx DiGraph or Graph, nodes by label, with the attributes
        given from Python; a network of counts gives each edge its count as the attribute named
        after the response (``G.edges[u, v]["weight"]``)."""
        return self._graph_of(self._core.links(), self._core.counts() if self.valued else None)

    def _graph_of(self, index_links, counts=None):
        """The graph of these links (pairs of node indices); ``counts``: of a network of counts,
        its senders, receivers and counts instead."""
        import networkx as nx

        graph = nx.DiGraph() if self.directed else nx.Graph()
        for k in self._graph_order:
            graph.add_node(self.nodes[k], **{a: v[k] for a, v in self._attributes.items()})
        nodes = self.nodes
        if counts is None:
            graph.add_edges_from((nodes[i], nodes[j]) for i, j in index_links)
        else:
            response = self._core.response
            graph.add_edges_from(
                (nodes[i], nodes[j], {response: c}) for i, j, c in zip(*counts))
        return graph

    def __len__(self) -> int:
        return self.node_count

    def __repr__(self) -> str:
        kind = "directed" if self.directed else "undirected"
        links = "links" if self.directed else "edges"
        attributes = self.attribute_names
        text = f"<tarnwick.Network: {self.node_count} nodes, {self.link_count} {links}, {kind}"
        if attributes:
            text += ", attributes " + ", ".join(attributes)
        if self.valued:
            text += f", counts {self.response}"
        return text + ">"

    # ----- building one

    @classmethod
    def from_links(
        cls,
        nodes: Sequence[Hashable],
        links: Iterable[Tuple[Hashable, Hashable]],
        directed: bool = True,
        attributes: Optional[Dict[str, Sequence[Any]]] = None,
        missing: Optional[Iterable[Tuple[Hashable, Hashable]]] = None,
        response: Optional[str] = None,
        reference: Optional[str] = None,
    ) -> "Network":
        """The network of these links between the nodes (every node kept, isolates too).

        ``attributes`` maps a name to one value per node (numbers, or texts; None or NaN is
        missing). A link given twice is one link; self-links are left out (with a warning).
        ``missing`` lists the dyads not observed (NA: non-respondents): neither links nor none.
        ``response``: a network of counts named so, ``links`` then (sender, receiver, count)
        triples, the counts checked as :meth:`from_pandas` checks its column.
        """
        refuse_reference_alone(response, reference)
        if response is not None:
            links = list(links)
            for link in links:
                if len(link) != 3:
                    raise ArgumentError(f"response {response!r}: give each link as (sender, "
                                        f"receiver, count), not {link!r}")
            response = str(response)

            def place_of(k):
                return f"link {k} ({links[k][0]!r}, {links[k][1]!r})"

            values = count_column([c for _, _, c in links], place_of, response)
            pairs, missing_counts, dyads = settled([(u, v) for u, v, _ in links], values,
                                                   place_of, directed, response)
            missing = list(missing or []) + missing_counts
            with _collector_paused():
                return cls._from_links(nodes, pairs, directed, attributes, missing,
                                       Counts(response, dyads, str(reference or "")))
        with _collector_paused():
            return cls._from_links(nodes, links, directed, attributes, missing)

    @classmethod
    def _from_links(cls, nodes, links, directed, attributes, missing=None,
                    counts: Optional[Counts] = None) -> "Network":
        """As from_links; ``counts``: those of a network of counts, by node."""
        nodes = list(nodes)
        position = {node: k for k, node in enumerate(nodes)}

        def positions(pairs, what):
            pairs = list(pairs)
            try:
                return (
                    list(map(position.__getitem__, (u for u, _ in pairs))),
                    list(map(position.__getitem__, (v for _, v in pairs))),
                )
            except KeyError as e:
                u, v = next(pair for pair in pairs if e.args[0] in pair)
                raise ValueError(f"the {what} ({u!r}, {v!r}) names {e.args[0]!r}, no node") from None

        senders, receivers = positions(links, "link")
        missing_positions = positions(missing, "missing dyad") if missing else None
        count_positions = None
        if counts is not None:
            count_positions = positions([(u, v) for u, v, _ in counts.dyads], "count's dyad")
            count_positions += ([c for _, _, c in counts.dyads], counts)
        return cls._from_positions(nodes, senders, receivers, directed, attributes,
                                   missing_positions, count_positions)

    @classmethod
    def _from_positions(cls, nodes, senders, receivers, directed, attributes,
                        missing=None, counts=None) -> "Network":
        """The network of links given as positions in ``nodes``; ``missing``: the missing
        dyads as two lists of positions; ``counts``: the senders and receivers (positions),
        counts and the Counts they are of."""
        texts = _label_texts(nodes)
        columns = []
        kept: Dict[str, List[Any]] = {}
        for name, values in (attributes or {}).items():
            values = list(values)
            if len(values) != len(nodes):
                raise ValueError(
                    f"the attribute {name!r} has {len(values)} values for {len(nodes)} nodes"
                )
            columns.append(_attribute_column(str(name), values))
            kept[str(name)] = values
        core = _tarnwick.network_from_links(texts, senders, receivers, bool(directed), columns)
        if (missing is not None and missing[0]) or counts is not None:
            at = {t: k for k, t in enumerate(core.labels)}
        if missing is not None and missing[0]:
            core = _tarnwick.with_missing_dyads(
                core, [at[texts[k]] for k in missing[0]], [at[texts[k]] for k in missing[1]]
            )
        if counts is not None:
            given = counts[3]
            core = _tarnwick.with_counts(
                core, given.response, [at[texts[k]] for k in counts[0]],
                [at[texts[k]] for k in counts[1]], counts[2], given.reference)
        # The library numbers the nodes in its own order (that of the links, then the others):
        # the labels and attribute values follow it.
        place = {t: k for k, t in enumerate(texts)}
        order = list(map(place.__getitem__, core.labels))
        network = cls(
            core,
            list(map(nodes.__getitem__, order)),
            {name: list(map(values.__getitem__, order)) for name, values in kept.items()},
        )
        if counts is not None:
            network._reference = counts[3].reference
        # Where each given node went: the inverse of `order` (a sort in C of a nearly sorted
        # list, as the links list the nodes mostly in their order).
        network._graph_order = sorted(range(len(order)), key=order.__getitem__)
        return network

    @classmethod
    def from_networkx(
        cls,
        graph,
        attributes: Optional[Sequence[str]] = None,
        weight: Optional[str] = "weight",
        response: Optional[str] = None,
        reference: Optional[str] = None,
    ) -> "Network":
        """A networkx graph as a tarnwick network.

        Directed when ``graph.is_directed()``. The nodes keep their keys and order; their
        attributes become attribute columns (all of them, or those named in ``attributes``).
        A graph of integer nodes from 0 or 1 whose ``id`` (``name``, ``node``, ``label``,
        ``vertex.names``) attribute names other nodes than its own is refused (ArgumentError):
        its attributes were set by another numbering. Edges with a ``weight`` (the edge
        attribute of that name) are read as the files are:
        0 is no link, any other value a tie, with a warning; an edge without the attribute is
        a tie; a missing value (None, NaN), or an edge attribute ``na=True``, marks the dyad
        missing (not observed: neither a link nor none). Parallel edges of a multigraph
        are one link; self-loops are left out.

        An undirected graph whose every node has networkx's ``bipartite`` attribute (0 or 1) is
        a two-mode network: the nodes of 0 are the first mode, listed first (in the graph's
        order), then those of 1; an edge within a mode is refused (ArgumentError).

        ``response``: a network of counts (ergm's ``response=``), each edge's count the edge
        attribute of that name (``weight`` is then not read): a whole number 0 or more (0: no
        link); an edge without it, or with another value (2.5, -1, True, a text), is refused
        (ArgumentError, naming the edge). A missing count (None, NaN) or ``na=True`` marks the
        dyad missing. The parallel edges of a multigraph add their counts (as
        ``networkx.to_numpy_array`` does). ``reference``: the model's reference measure, as
        :meth:`with_reference` takes it.
        """
        refuse_reference_alone(response, reference)
        with _collector_paused():
            return cls._from_networkx(graph, attributes, weight, response, reference)

    @classmethod
    def _from_networkx(cls, graph, attributes, weight, response=None,
                       reference=None) -> "Network":
        nodes = list(graph.nodes)
        data = dict(graph.nodes(data=True))
        check_graph_labels(nodes, data)
        if attributes is None:
            names: List[str] = []
            for node in nodes:
                for name in data[node]:
                    if name not in names:
                        names.append(name)
        else:
            names = list(attributes)
        columns = {name: [data[node].get(name) for node in nodes] for name in names}
        modes = [data[node].get("bipartite") for node in nodes]
        two_mode = bool(nodes) and not graph.is_directed() and all(m in (0, 1) for m in modes)
        adjacency = getattr(graph, "_adj", None)  # networkx's own dicts, as its algorithms read
        if response is not None:
            if two_mode:
                refuse_two_modes(response)
            return cls._from_counted_edges(graph, nodes, columns, str(response), reference)
        if not two_mode and not graph.is_multigraph() and isinstance(adjacency, dict):
            return cls._from_adjacency(graph, adjacency, nodes, columns, weight)
        edges = list(graph.edges(data=True))
        ties: List[Any] = [True] * len(edges)  # each edge: a tie, none (0) or missing (None)
        if weight is not None and any(weight in d for _, _, d in edges):
            ties = _tie_values([d.get(weight, 1) for _, _, d in edges], "the graph")
        ties = [None if d.get("na") is True else t for (_, _, d), t in zip(edges, ties)]
        links = [(u, v) for (u, v, _), t in zip(edges, ties) if t]
        missing = [(u, v) for (u, v, _), t in zip(edges, ties) if t is None]
        if two_mode:
            return cls._from_two_modes(nodes, modes, links, columns, missing)
        return cls._from_links(nodes, links, graph.is_directed(), columns, missing)

    @classmethod
    def _from_counted_edges(cls, graph, nodes, columns, response, reference) -> "Network":
        """A graph whose edges carry counts in the attribute ``response``."""
        pairs, counts = [], []

        def place_of(k):
            return f"the edge ({pairs[k][0]!r}, {pairs[k][1]!r})"

        for u, v, d in graph.edges(data=True):
            place = f"the edge ({u!r}, {v!r})"
            if d.get("na") is True:
                count = None
            elif response not in d:
                raise ArgumentError(f"response {response!r}: {place} has no attribute "
                                    f"{response!r}; give every edge its count")
            else:
                count = count_of(d[response], place, response)
            pairs.append((u, v))
            counts.append(count)
        links, missing, dyads = settled(pairs, counts, place_of, graph.is_directed(), response,
                                        add=graph.is_multigraph())
        return cls._from_links(nodes, links, graph.is_directed(), columns, missing,
                               Counts(response, dyads, str(reference or "")))

    @classmethod
    def _from_two_modes(cls, nodes, modes, links, columns, missing=None) -> "Network":
        """The two-mode network of ``links`` (pairs of nodes, loops left out) whose nodes have
        ``modes`` (0 first, 1 second): the first mode first, then the second, each in the given
        order; ``missing``: the dyads not observed, as pairs of nodes."""
        order = [k for k, m in enumerate(modes) if m == 0]
        order += [k for k, m in enumerate(modes) if m == 1]
        ordered = [nodes[k] for k in order]
        position = {node: k for k, node in enumerate(ordered)}
        senders, receivers = [], []
        for u, v in links:
            if u != v:
                senders.append(position[u])
                receivers.append(position[v])
        kept = {str(name): [values[k] for k in order] for name, values in columns.items()}
        attributes = [_attribute_column(name, values) for name, values in kept.items()]
        core = _tarnwick.two_mode_network_from_links(
            _label_texts(ordered), senders, receivers, modes.count(0), attributes
        )
        if missing:
            core = _tarnwick.with_missing_dyads(
                core, [position[u] for u, _ in missing], [position[v] for _, v in missing]
            )
        network = cls(core, ordered, kept)
        network._graph_order = sorted(range(len(order)), key=order.__getitem__)
        return network

    @classmethod
    def _from_adjacency(cls, graph, adjacency, nodes, columns, weight) -> "Network":
        """A graph without parallel edges read from its adjacency dicts, in the order of
        ``graph.edges``, every loop over the edges in C (a fifth of the time of its edge
        views)."""
        heads = chain.from_iterable(adjacency.values())
        tails = iter(adjacency)
        if not _numbered_in_order(nodes):
            position = {node: k for k, node in enumerate(nodes)}
            heads = map(position.__getitem__, heads)
            tails = map(position.__getitem__, tails)
        receivers = list(heads)
        senders = list(chain.from_iterable(map(repeat, tails, map(len, adjacency.values()))))
        kept = None
        if not graph.is_directed():
            # Each edge of an undirected graph once, where graph.edges lists it: at the first
            # of its ends (a loop at its node).
            kept = list(map(operator.le, senders, receivers))
            senders = list(compress(senders, kept))
            receivers = list(compress(receivers, kept))

        def edge_data():
            return chain.from_iterable(map(dict.values, adjacency.values()))

        # An edge attribute na=True (as ergm's network objects say it) or a missing weight: the
        # dyad was not observed.
        flags = map(dict.get, edge_data(), repeat("na"))
        na = [f is True for f in (flags if kept is None else compress(flags, kept))]
        if weight is not None and any(map(dict.__contains__, edge_data(), repeat(weight))):
            values = map(dict.get, edge_data(), repeat(weight), repeat(1))  # none: a tie
            ties = _tie_values(list(values if kept is None else compress(values, kept)), "the graph")
            na = [a or t is None for a, t in zip(na, ties)]
            ties = [bool(t) and not a for t, a in zip(ties, na)]
        else:
            ties = [not a for a in na]
        missing = None
        if any(na):
            missing = (list(compress(senders, na)), list(compress(receivers, na)))
        senders = list(compress(senders, ties))
        receivers = list(compress(receivers, ties))
        return cls._from_positions(nodes, senders, receivers, graph.is_directed(), columns,
                                   missing)

    @classmethod
    def from_pandas(
        cls,
        edges,
        nodes=None,
        source: str = "source",
        target: str = "target",
        directed: bool = True,
        weight: Optional[str] = None,
        node_key: Optional[str] = None,
        bipartite: bool = False,
        response: Optional[str] = None,
        reference: Optional[str] = None,
    ) -> "Network":
        """A network from an edge table and an optional node table (pandas DataFrames).

        ``edges[source]`` and ``edges[target]`` name the nodes of each link; ``weight``, a
        column of link values read as the files read them (0 no link, others ties). ``nodes``
        holds the attributes, one row per node, labelled by its index, or by its column
        ``node_key``. A table with pandas' default index 0..n-1 (as ``pd.read_csv`` makes it)
        is labelled by a column whose values name the edge list's nodes (``id``, ``name``,
        ``node``, ``label``, ``vertex.names`` or the first column), with a warning; a default
        index that names no node in some row, or labels that would add more isolated nodes
        than rows naming the edge list's nodes, are refused (ArgumentError, with the counts).
        Rows naming no node of the edge list add isolated nodes, with a warning. The nodes are
        those of the links in order of appearance, then the other rows of ``nodes``.

        ``bipartite=True``: a two-mode network whose ``source`` column names the first mode's
        nodes and ``target`` the second's (undirected; the first mode numbered first). A label
        in both columns is refused, as networkx refuses one key for two nodes. A node-table row
        naming no node of the links needs the column ``bipartite`` (networkx's: 0 the first
        mode, 1 the second) to place it; where both say, they must agree.

        ``response``: a network of counts (ergm's ``response=``), ``edges[response]`` each
        dyad's count: a whole number 0 or more (0: no link; 2.0 is 2). Another value (2.5,
        -1, True, a text) is refused (ArgumentError naming the row and the column); a missing
        one (NaN, None) marks the dyad missing; rows of one dyad must agree, as the command
        line's ``--response`` reads a file. ``reference``: the model's reference measure, as
        :meth:`with_reference` takes it.
        """
        if response is not None and weight is not None:
            raise ArgumentError("weight and response: give one (response reads counts)")
        refuse_reference_alone(response, reference)
        given = (weight,) if weight is not None else (response,) if response is not None else ()
        for column in (source, target) + given:
            if column not in edges.columns:
                raise ValueError(
                    f"the edge table has no column {column!r} (its columns: "
                    f"{', '.join(map(str, edges.columns))})"
                )
        senders = list(edges[source])
        receivers = list(edges[target])
        links = list(zip(senders, receivers))
        missing = None
        counts = None
        if weight is not None:
            # A missing value (NaN, None) is a dyad not observed.
            ties = _tie_values(list(edges[weight]), "the edge table")
            missing = [link for link, tie in zip(links, ties) if tie is None]
            links = [link for link, tie in zip(links, ties) if tie]
        elif response is not None:
            if bipartite:
                refuse_two_modes(response)
            rows = edges.index

            def place_of(k):
                return f"the edge table's row {rows[k]!r}"

            values = count_column(edges[response].to_numpy(), place_of, str(response))
            links, missing, dyads = settled(links, values, place_of, directed, str(response))
            counts = Counts(str(response), dyads, str(reference or ""))
        order: Dict[Hashable, None] = {}
        for u, v in zip(senders, receivers):
            order.setdefault(u, None)
            order.setdefault(v, None)
        columns: Dict[str, List[Any]] = {}
        if nodes is not None:
            labels, attribute_columns = table_labels(nodes, list(order), node_key)
            for node in labels.nodes:
                order.setdefault(node, None)
            row_of = {node: k for k, node in enumerate(labels.nodes)}
            for name in attribute_columns:
                values = list(nodes[name])
                columns[str(name)] = [
                    values[row_of[node]] if node in row_of else None for node in order
                ]
        elif node_key is not None:
            raise ArgumentError("node_key: give the node table (nodes=) it is a column of")
        if bipartite:
            modes = _table_modes(list(order), senders, receivers, columns.get("bipartite"))
            with _collector_paused():
                return cls._from_two_modes(list(order), modes, links, columns, missing)
        if counts is not None:
            with _collector_paused():
                return cls._from_links(list(order), links, directed, columns, missing, counts)
        return cls.from_links(list(order), links, directed, columns, missing)

    @classmethod
    def from_scipy(
        cls,
        matrix,
        nodes: Optional[Sequence[Hashable]] = None,
        directed: bool = True,
        attributes: Optional[Dict[str, Sequence[Any]]] = None,
        response: Optional[str] = None,
        reference: Optional[str] = None,
    ) -> "Network":
        """A network from an adjacency matrix (scipy sparse, or anything scipy can make one of).

        Entry (i, j) not 0 is the link i->j (its size unused, with a warning when it is not 1).
        Undirected: (i, j) or (j, i) is the edge. ``nodes`` labels the rows (default 0..n-1).

        ``response``: a matrix of counts, named so (``to_networkx`` gives each edge its count
        as the attribute of that name): entry (i, j) the count of the dyad, a whole number 0 or
        more (others refused, naming the entry); NaN is a missing dyad. Undirected, (i, j) and
        (j, i) must agree where both are above 0 (a 0 gives nothing, as for a binary matrix,
        so that a triangle of the matrix will do). ``reference`` as for :meth:`from_pandas`.
        """
        import scipy.sparse as sp

        refuse_reference_alone(response, reference)
        a = sp.coo_matrix(matrix)
        if a.shape[0] != a.shape[1]:
            raise ValueError(f"an adjacency matrix is square; this one is {a.shape}")
        n = a.shape[0]
        nodes = list(range(n)) if nodes is None else list(nodes)
        if len(nodes) != n:
            raise ValueError(f"{len(nodes)} node labels for a matrix of {n} rows")
        a.sum_duplicates()
        if response is not None:
            a.eliminate_zeros()  # a stored 0 gives nothing, as one not stored
            pairs = [(nodes[i], nodes[j]) for i, j in zip(a.row.tolist(), a.col.tolist())]

            def place_of(k):
                return f"the matrix's entry ({a.row[k]}, {a.col[k]})"

            values = count_column(a.data, place_of, str(response))
            links, missing, dyads = settled(pairs, values, place_of, directed, str(response))
            with _collector_paused():
                return cls._from_links(nodes, links, directed, attributes, missing,
                                       Counts(str(response), dyads, str(reference or "")))
        values = list(a.data)
        ties = _tie_values(values, "the matrix") if values else []
        links = []
        missing = []  # an entry NaN: the dyad was not observed
        for i, j, tie in zip(a.row.tolist(), a.col.tolist(), ties):
            if tie:
                links.append((nodes[i], nodes[j]))
            elif tie is None:
                missing.append((nodes[i], nodes[j]))
        return cls.from_links(nodes, links, directed, attributes, missing)

    @classmethod
    def from_igraph(cls, graph, attributes: Optional[Sequence[str]] = None,
                    response: Optional[str] = None,
                    reference: Optional[str] = None) -> "Network":
        """An igraph Graph as a tarnwick network (needs python3-igraph).

        The nodes are labelled by the vertex attribute ``name`` when there is one, else by
        their index; the other vertex attributes become attribute columns. ``response`` and
        ``reference``: a network of counts, each edge's count its attribute ``response``, as
        :meth:`from_networkx` reads them (parallel edges add their counts).
        """
        refuse_reference_alone(response, reference)
        names = graph.vs.attributes()
        nodes = list(graph.vs["name"]) if "name" in names else list(range(graph.vcount()))
        wanted = [a for a in names if a != "name"] if attributes is None else list(attributes)
        columns = {a: list(graph.vs[a]) for a in wanted}
        links = [(nodes[e.source], nodes[e.target]) for e in graph.es]
        if response is not None:
            response = str(response)
            if response not in graph.es.attributes():
                raise ArgumentError(f"response {response!r}: the graph has no edge attribute "
                                    f"{response!r}")
            edge_pairs = links

            def place_of(k):
                return f"the edge ({edge_pairs[k][0]!r}, {edge_pairs[k][1]!r})"

            values = count_column(list(graph.es[response]), place_of, response)
            links, missing, dyads = settled(edge_pairs, values, place_of, graph.is_directed(),
                                            response, add=True)
            with _collector_paused():
                return cls._from_links(nodes, links, graph.is_directed(), columns, missing,
                                       Counts(response, dyads, str(reference or "")))
        return cls.from_links(nodes, links, graph.is_directed(), columns)


def read(
    path: Union[str, os.PathLike],
    format: Optional[str] = None,
    header: str = "auto",
    columns: Union[None, str, Sequence[Union[str, int]]] = None,
    nodes: int = 0,
    labels: bool = False,
    undirected: bool = False,
    attributes: Union[None, str, os.PathLike] = None,
    covariate: Union[None, str, os.PathLike] = None,
    missing: Union[None, str, os.PathLike] = None,
    bipartite: int = 0,
    two_mode: bool = False,
    response: Union[None, str, int] = None,
    reference: Optional[str] = None,
) -> Network:
    """Reads a network file as the command line does (user guide 11.3).

    Parameters mirror the command line's data options:

    * ``format``: record, csv, tsv, blank or pajek (default: from the content and name);
    * ``header``: auto, yes or no (whether an edge list's first line is a header);
    * ``columns``: the sender and receiver columns (and value), names or 1-based numbers, as
      a list or ``"SENDER,RECEIVER"``;
    * ``nodes``: the nodes are 1..nodes (``--nodes``); ``labels``: integer ids are labels;
    * ``undirected``: the network is undirected;
    * ``bipartite``: a two-mode network, nodes 1..bipartite the first mode (``--bipartite``);
    * ``two_mode``: a two-mode edge list whose senders name the first mode's nodes and receivers
      the second's, by label, each mode its own labels (``--two-mode``); where a label names a
      node of each mode, the nodes are the pairs ``(0, label)`` and ``(1, label)`` (the first
      mode 0, as networkx's ``bipartite``), so that graphs made of the network keep them apart;
    * ``attributes``: an attribute file (record format or a table with a header);
    * ``covariate``: the comparative network (the covariate term);
    * ``missing``: an edge list of the dyads not observed (``--missing``); an edge list's value
      NA or an empty value marks one too;
    * ``response``: an edge list's column of counts, by header name or 1-based number (a
      network of counts, ``--response``): a count of 0 is no link, a value that is no whole
      number 0 or more is refused with its line;
    * ``reference``: the reference measure of a model of counts (``--reference``), as
      :meth:`Network.with_reference` takes it.

    Raises InputError (with ``.file`` and ``.line``), ValueError, CapacityError.
    """
    refuse_reference_alone(response, reference)
    if isinstance(columns, str):
        columns = columns.split(",")
    core = _tarnwick.read_network(
        os.fspath(path),
        format=format or "",
        header=header,
        columns=[str(c) for c in (columns or [])],
        node_count=int(nodes),
        labels=bool(labels),
        undirected=bool(undirected),
        attributes_path=os.fspath(attributes) if attributes is not None else "",
        covariate_path=os.fspath(covariate) if covariate is not None else "",
        missing_path=os.fspath(missing) if missing is not None else "",
        bipartite=int(bipartite),
        two_mode=bool(two_mode),
        response=str(response) if response is not None else "",
        reference=str(reference) if reference is not None else "",
    )
    network = Network(core)
    network._reference = str(reference) if reference is not None else ""
    names = list(core.labels)
    if two_mode and len(set(names)) < len(names):
        first = core.bipartite
        network.nodes = [(0 if k < first else 1, name) for k, name in enumerate(names)]
    network._read_arguments = dict(
        path=os.path.abspath(path), format=format, header=header, columns=columns, nodes=nodes,
        labels=labels, undirected=undirected,
        attributes=os.path.abspath(attributes) if attributes is not None else None,
        covariate=os.path.abspath(covariate) if covariate is not None else None,
        missing=os.path.abspath(missing) if missing is not None else None,
    )
    if bipartite:
        network._read_arguments["bipartite"] = bipartite
    if two_mode:
        network._read_arguments["two_mode"] = True
    if response is not None:
        network._read_arguments["response"] = response
    return network


def network_state(network: Network) -> Dict[str, Any]:
    """What rebuilds the network: the read() arguments of one read from files, else its nodes
    (as given), links and attributes; its dyadic covariates; and its labels and link count, which
    the rebuilt network must have."""
    state: Dict[str, Any] = dict(
        nodes=list(network.nodes), link_count=network.link_count,
        covariates=list(network._covariates), read=network._read_arguments,
    )
    if network._read_arguments is None:
        # The links in an order in which their nodes first appear in the library's order (which
        # numbers the nodes of the links as they appear, then the others).
        index_links = sorted(network._core.links(), key=lambda l: (max(l), -min(l), l[0]))
        state.update(
            links=[(network.nodes[i], network.nodes[j]) for i, j in index_links],
            directed=network.directed,
            attributes=network._attributes,
            graph_order=list(network._graph_order),
            missing=network.missing_dyads,
            bipartite=network.bipartite,
        )
        if network.valued:
            state.update(response=network.response, counts=network.counts())
    state.update(reference=network._reference)
    return state


def _rebuilt_network(state: Dict[str, Any]) -> Network:
    if state["read"] is not None:
        network = read(**state["read"])
    elif state.get("bipartite"):
        first_mode = state["bipartite"]
        modes = [0] * first_mode + [1] * (len(state["nodes"]) - first_mode)
        with _collector_paused():
            network = Network._from_two_modes(state["nodes"], modes, state["links"],
                                              state["attributes"], state.get("missing"))
        network._graph_order = list(state["graph_order"])
    else:
        counts = None
        if state.get("response") is not None:
            counts = Counts(state["response"], state["counts"])
        with _collector_paused():
            network = Network._from_links(state["nodes"], state["links"], state["directed"],
                                          state["attributes"], state.get("missing"), counts)
        network._graph_order = list(state["graph_order"])
    if network.nodes != state["nodes"] or network.link_count != state["link_count"]:
        where = state["read"]["path"] if state["read"] is not None else "its links"
        raise InputError(
            f"the saved network cannot be rebuilt as it was from {where}: it had "
            f"{len(state['nodes'])} nodes and {state['link_count']} links, the rebuilt one "
            f"{network.node_count} and {network.link_count} (a file changed since?)"
        )
    if state["covariates"]:
        network._core = _tarnwick.with_dyadic_covariates(network._core, state["covariates"])
        network._covariates = list(state["covariates"])
    if state.get("reference"):
        network._core = _tarnwick.with_reference(network._core, state["reference"])
        network._reference = state["reference"]
    return network


def as_network(network: Any) -> Network:
    """A Network, or a networkx graph made one (anew at every call: a graph can change between
    calls, and a conversion kept for it could give a changed graph's old figures quietly)."""
    if isinstance(network, Network):
        return network
    if hasattr(network, "is_directed") and hasattr(network, "nodes") and hasattr(network, "edges"):
        if hasattr(network, "vs"):  # igraph
            return Network.from_igraph(network)
        return Network.from_networkx(network)
    raise TypeError(
        f"expected a tarnwick.Network or a networkx graph, not {type(network).__name__}"
    )
