#!/usr/bin/env python3
"""make_corpus.py OUTPUT_FOLDER: writes the STEP corpus the tests read (the build runs it), parts as other CAD
systems write them, made from the example parts' entities. Our kernel writes one AP214 solid with plain names; these files carry what it does not
write (product manufacturing information and its presentation, AP203's approvals, assemblies, inch units,
encoded names, sparse numbering, CR, CR LF and CR CR LF line ends, a byte order mark, very long lines, unset names and
complex entities' parts out of order, tessellated geometry).

It is deterministic: running it again writes the same bytes.
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "data", "examples")
OUT = sys.argv[1] if len(sys.argv) > 1 else HERE


# ---- reading and writing the exchange structure ------------------------------------------------------

def string_end(text, i):
    """Where the string opened at text[i] ends, past its closing quote (a doubled quote stands for one)."""
    j = i + 1
    while j < len(text):
        if text[j] == "'":
            if text[j + 1:j + 2] != "'":
                return j + 1
            j += 1
        j += 1
    return j


def split_statements(data):
    """The statements of a DATA section, each one line, split at ';' outside strings."""
    out, cur, i, n = [], [], 0, len(data)
    while i < n:
        c = data[i]
        if c == "'":
            j = string_end(data, i)
            cur.append(data[i:j])
            i = j
            continue
        if c == ";":
            out.append("".join(cur).strip())
            cur = []
        elif c == "\n":
            # Our kernel breaks lines between tokens and indents the next: join them without the break.
            while i + 1 < n and data[i + 1] == " ":
                i += 1
            prev = cur[-1][-1:] if cur else ""
            nxt = data[i + 1:i + 2]
            if prev.isalnum() and nxt.isalnum():
                cur.append(" ")
        else:
            cur.append(c)
        i += 1
    return [s for s in out if s]


def read_step(name):
    text = open(os.path.join(EXAMPLES, name), encoding="ascii").read()
    data = text[text.index("DATA;") + len("DATA;"):text.index("ENDSEC;", text.index("DATA;"))]
    entities = {}
    for statement in split_statements(data):
        number, body = statement.split("=", 1)
        entities[int(number.strip()[1:])] = body.strip()
    return entities


def map_refs(body, fn):
    """`body` with every #n outside strings replaced by fn(n)."""
    out, i, n = [], 0, len(body)
    while i < n:
        c = body[i]
        if c == "'":
            j = string_end(body, i)
            out.append(body[i:j])
            i = j
        elif c == "#":
            j = i + 1
            while j < n and body[j].isdigit():
                j += 1
            out.append(fn(int(body[i + 1:j])))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def header(file_name, schema, description="", system="exporter 4.2", author="designer"):
    return ("ISO-10303-21;\nHEADER;\n"
            f"FILE_DESCRIPTION(('{description}'),'2;1');\n"
            f"FILE_NAME('{file_name}','2026-11-30T10:12:44+01:00',('{author}'),('workshop'),"
            f"'{system}','modeller 2026','');\n"
            f"FILE_SCHEMA(('{schema}'));\nENDSEC;\n")


def write_step(path, head, entities, order=None, line_end="\n", per_line=1, bom=False):
    order = sorted(entities) if order is None else order
    lines, run = [], []
    for number in order:
        run.append(f"#{number}={entities[number]};")
        if len(run) == per_line:
            lines.append("".join(run))
            run = []
    if run:
        lines.append("".join(run))
    text = head + "DATA;\n" + "\n".join(lines) + "\nENDSEC;\nEND-ISO-10303-21;\n"
    with open(os.path.join(OUT, path), "w", encoding="utf-8-sig" if bom else "utf-8", newline="") as f:
        f.write(text.replace("\n", line_end))


def append(entities, block, names):
    """Adds the statements of `block` ("@name=BODY;" a line, bodies naming @others and {given}) after the
    last entity; `names` gives the numbers of what the block names outside itself. Returns all names."""
    names = dict(names)
    following = max(entities) + 1
    statements = [s.strip() for s in block.strip().split("\n") if s.strip()]
    for s in statements:
        label = s[1:s.index("=")].strip()
        names[label] = following
        following += 1
    for s in statements:
        label, body = s[1:].split("=", 1)
        body = body.strip().rstrip(";")
        body = re.sub(r"@(\w+)", lambda m: f"#{names[m.group(1)]}", body)
        body = re.sub(r"\{(\w+)\}", lambda m: f"#{names[m.group(1)]}", body)
        entities[names[label.strip()]] = body
    return names


def find(entities, prefix):
    return [n for n in sorted(entities) if entities[n].startswith(prefix)]


# ---- the parts ---------------------------------------------------------------------------------------------

AP242 = "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 3 1 4 }"
AP214 = "AUTOMOTIVE_DESIGN { 1 0 10303 214 3 1 1 }"
AP203 = "CONFIG_CONTROL_DESIGN"


def plate():
    """The example plate's entities and the numbers a block names: its shape, representation, context,
    length unit, top face and a hole's face."""
    e = read_step("holes_plate.step")
    names = {
        "pds": find(e, "PRODUCT_DEFINITION_SHAPE(")[0],
        "pdef": find(e, "PRODUCT_DEFINITION(")[0],
        "product": find(e, "PRODUCT(")[0],
        "rep": find(e, "ADVANCED_BREP_SHAPE_REPRESENTATION(")[0],
        "brep": find(e, "MANIFOLD_SOLID_BREP(")[0],
        "ctx": find(e, "( GEOMETRIC_REPRESENTATION_CONTEXT(3)")[0],
        "mm": find(e, "( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) )")[0],
        "top": find(e, "ADVANCED_FACE(")[0],
    }
    cylinders = set(find(e, "CYLINDRICAL_SURFACE("))
    names["hole"] = next(n for n in find(e, "ADVANCED_FACE(")
                         if int(e[n].rsplit("#", 1)[1].split(",")[0]) in cylinders)
    return e, names


PMI = r"""
@sa_top=SHAPE_ASPECT('','top face',{pds},.T.);
@gisu_top=GEOMETRIC_ITEM_SPECIFIC_USAGE('','',@sa_top,{rep},{top});
@df=DATUM_FEATURE('','datum feature A',{pds},.T.);
@gisu_df=GEOMETRIC_ITEM_SPECIFIC_USAGE('','',@df,{rep},{top});
@datum=DATUM('','datum A',{pds},.F.,'A');
@sar_datum=SHAPE_ASPECT_RELATIONSHIP('','',@df,@datum);
@drc=DATUM_REFERENCE_COMPARTMENT('',$,{pds},.F.,@datum,$);
@ds=DATUM_SYSTEM('Datum System 1',$,{pds},.F.,(@drc));
@sa_hole=SHAPE_ASPECT('','hole',{pds},.T.);
@gisu_hole=GEOMETRIC_ITEM_SPECIFIC_USAGE('','',@sa_hole,{rep},{hole});
@magnitude=(LENGTH_MEASURE_WITH_UNIT()MEASURE_REPRESENTATION_ITEM()MEASURE_WITH_UNIT(LENGTH_MEASURE(0.1),{mm})REPRESENTATION_ITEM('position value'));
@position=(GEOMETRIC_TOLERANCE('Position.1','',@magnitude,@sa_hole)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE((@ds))GEOMETRIC_TOLERANCE_WITH_MODIFIERS((.MAXIMUM_MATERIAL_REQUIREMENT.))POSITION_TOLERANCE());
@flatness=FLATNESS_TOLERANCE('Flatness.1','',@flat_value,@sa_top);
@flat_value=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(0.02),{mm});
@size=DIMENSIONAL_SIZE(@sa_hole,'diameter');
@size_value=(LENGTH_MEASURE_WITH_UNIT()MEASURE_REPRESENTATION_ITEM()MEASURE_WITH_UNIT(LENGTH_MEASURE(8.),{mm})REPRESENTATION_ITEM('nominal value'));
@size_rep=SHAPE_DIMENSION_REPRESENTATION('',(@size_value),{ctx});
@size_dcr=DIMENSIONAL_CHARACTERISTIC_REPRESENTATION(@size,@size_rep);
@upper=(LENGTH_MEASURE_WITH_UNIT()MEASURE_WITH_UNIT(LENGTH_MEASURE(0.05),{mm}));
@lower=(LENGTH_MEASURE_WITH_UNIT()MEASURE_WITH_UNIT(LENGTH_MEASURE(0.),{mm}));
@range=TOLERANCE_VALUE(@lower,@upper);
@plus_minus=PLUS_MINUS_TOLERANCE(@range,@size);
@blue=COLOUR_RGB('',0.,0.,1.);
@font=DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous');
@curve_style=CURVE_STYLE('',@font,POSITIVE_LENGTH_MEASURE(0.35),@blue);
@annotation_style=PRESENTATION_STYLE_ASSIGNMENT((@curve_style));
@frame_points=COORDINATES_LIST('',5,((10.,10.,12.),(40.,10.,12.),(40.,16.,12.),(10.,16.,12.),(25.,13.,12.)));
@frame=TESSELLATED_CURVE_SET('',@frame_points,((1,2,3,4,1),(1,5)));
@frame_set=TESSELLATED_GEOMETRIC_SET('',(@frame));
@frame_occurrence=TESSELLATED_ANNOTATION_OCCURRENCE('',(@annotation_style),@frame_set);
@position_callout=DRAUGHTING_CALLOUT('Position.1',(@frame_occurrence));
@leader_start=CARTESIAN_POINT('',(25.,16.,12.));
@leader_end=CARTESIAN_POINT('',(20.,20.,12.));
@leader=POLYLINE('',(@leader_start,@leader_end));
@leader_set=GEOMETRIC_CURVE_SET('',(@leader));
@leader_occurrence=ANNOTATION_CURVE_OCCURRENCE('',(@annotation_style),@leader_set);
@size_callout=DRAUGHTING_CALLOUT('Diameter.1',(@leader_occurrence));
@text_origin=CARTESIAN_POINT('',(20.,22.,12.));
@z_axis=DIRECTION('',(0.,0.,1.));
@x_axis=DIRECTION('',(1.,0.,0.));
@text_place=AXIS2_PLACEMENT_3D('',@text_origin,@z_axis,@x_axis);
@pmi_model=DRAUGHTING_MODEL('PMI',(@position_callout,@size_callout,@text_place),{ctx});
@link_position=DRAUGHTING_MODEL_ITEM_ASSOCIATION('PMI representation to presentation link','',@position,@pmi_model,@position_callout);
@link_size=DRAUGHTING_MODEL_ITEM_ASSOCIATION('PMI representation to presentation link','',@size,@pmi_model,@size_callout);
@eye_point=CARTESIAN_POINT('',(60.,-200.,150.));
@eye_z=DIRECTION('',(0.,-0.8,0.6));
@eye_place=AXIS2_PLACEMENT_3D('',@eye_point,@eye_z,@x_axis);
@box_origin=CARTESIAN_POINT('',(0.,0.));
@box_x=DIRECTION('',(1.,0.));
@box_place=AXIS2_PLACEMENT_2D('',@box_origin,@box_x);
@window=PLANAR_BOX('',240.,160.,@box_place);
@volume_centre=CARTESIAN_POINT('',(0.,0.,-300.));
@volume=VIEW_VOLUME(.PARALLEL.,@volume_centre,300.,-300.,.F.,0.,.F.,.T.,@window);
@clip_origin=CARTESIAN_POINT('',(0.,0.,6.));
@clip_place=AXIS2_PLACEMENT_3D('',@clip_origin,@z_axis,@x_axis);
@clip=PLANE('',@clip_place);
@camera=CAMERA_MODEL_D3_MULTI_CLIPPING('Saved view 1',@eye_place,@volume,(@clip));
@saved_view=DRAUGHTING_MODEL('Saved view 1',(@camera,@position_callout,@size_callout),{ctx});
@view_link=MECHANICAL_DESIGN_AND_DRAUGHTING_RELATIONSHIP('','',{rep},@saved_view);
@pmi_layer=PRESENTATION_LAYER_ASSIGNMENT('PMI','annotation',(@position_callout,@size_callout));
@centroid=CARTESIAN_POINT('centre point',(60.,40.,6.));
@centroid_rep=REPRESENTATION('centroid',(@centroid),{ctx});
@centroid_property=PROPERTY_DEFINITION('geometric validation property','centroid of holes_plate',{pds});
@centroid_link=PROPERTY_DEFINITION_REPRESENTATION(@centroid_property,@centroid_rep);
@material_item=DESCRIPTIVE_REPRESENTATION_ITEM('aluminium','EN AW-6082');
@material_rep=REPRESENTATION('material name',(@material_item),{ctx});
@material_property=PROPERTY_DEFINITION('material property','material name',{pdef});
@material_link=PROPERTY_DEFINITION_REPRESENTATION(@material_property,@material_rep);
@mesh_points=COORDINATES_LIST('',4,((0.,0.,0.),(120.,0.,0.),(120.,80.,0.),(0.,80.,0.)));
@mesh_face=TRIANGULATED_FACE('',@mesh_points,4,((0.,0.,-1.)),$,(),((1,3,2),(1,4,3)));
@mesh=TESSELLATED_SOLID('',(@mesh_face),{brep});
@mesh_rep=TESSELLATED_SHAPE_REPRESENTATION('tessellation',(@mesh),{ctx});
@mesh_sdr=SHAPE_DEFINITION_REPRESENTATION({pds},@mesh_rep);
@mesh_link=SHAPE_REPRESENTATION_RELATIONSHIP('','tessellated shape',{rep},@mesh_rep);
"""


def ap242_pmi_plate():
    e, names = plate()
    append(e, PMI, names)
    write_step("ap242_pmi_plate.stp", header("ap242_pmi_plate.stp", AP242, "plate with PMI"), e)


AP203_ADMIN = r"""
@person=PERSON('designer','Doe','J.',$,$,$);
@organisation=ORGANIZATION('','Workshop','');
@person_org=PERSON_AND_ORGANIZATION(@person,@organisation);
@creator=PERSON_AND_ORGANIZATION_ROLE('creator');
@design_owner=CC_DESIGN_PERSON_AND_ORGANIZATION_ASSIGNMENT(@person_org,@creator,({pdf},{pdef}));
@zone=COORDINATED_UNIVERSAL_TIME_OFFSET(1,0,.AHEAD.);
@time=LOCAL_TIME(10,12,44.,@zone);
@date=CALENDAR_DATE(2026,30,11);
@date_time=DATE_AND_TIME(@date,@time);
@created=DATE_TIME_ROLE('creation_date');
@design_date=CC_DESIGN_DATE_AND_TIME_ASSIGNMENT(@date_time,@created,({pdef}));
@level=SECURITY_CLASSIFICATION_LEVEL('unclassified');
@classification=SECURITY_CLASSIFICATION('','',@level);
@design_classification=CC_DESIGN_SECURITY_CLASSIFICATION(@classification,({pdf}));
@status=APPROVAL_STATUS('approved');
@approval=APPROVAL(@status,'approved part');
@design_approval=CC_DESIGN_APPROVAL(@approval,({pdf},{pdef},@classification));
@approver=APPROVAL_ROLE('approver');
@approval_person=APPROVAL_PERSON_ORGANIZATION(@person_org,@approval,@approver);
@approval_date=APPROVAL_DATE_TIME(@date_time,@approval);
"""

STYLES = r"""
@body_colour=COLOUR_RGB('',0.2,0.4,0.8);
@body_fill=FILL_AREA_STYLE_COLOUR('',@body_colour);
@body_area=FILL_AREA_STYLE('',(@body_fill));
@body_surface=SURFACE_STYLE_FILL_AREA(@body_area);
@body_side=SURFACE_SIDE_STYLE('',(@body_surface));
@body_usage=SURFACE_STYLE_USAGE(.BOTH.,@body_side);
@body_style=PRESENTATION_STYLE_ASSIGNMENT((@body_usage));
@body_styled=STYLED_ITEM('color',(@body_style),{brep});
@body_presentation=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(@body_styled),{ctx});
@solids_layer=PRESENTATION_LAYER_ASSIGNMENT('12','solids',({brep}));
@hidden_layer=PRESENTATION_LAYER_ASSIGNMENT('255','construction',({top}));
@hidden=INVISIBILITY((@hidden_layer));
"""


def ap203_styles_layers():
    e, names = plate()
    names["pdf"] = find(e, "PRODUCT_DEFINITION_FORMATION(")[0]
    app = find(e, "APPLICATION_CONTEXT(")[0]
    e[app] = "APPLICATION_CONTEXT('configuration controlled 3d designs of mechanical parts and assemblies')"
    e[find(e, "APPLICATION_PROTOCOL_DEFINITION(")[0]] = (
        f"APPLICATION_PROTOCOL_DEFINITION('international standard','config_control_design',1994,#{app})")
    e[find(e, "PRODUCT_CONTEXT(")[0]] = f"MECHANICAL_CONTEXT('',#{app},'mechanical')"
    e[find(e, "PRODUCT_DEFINITION_CONTEXT(")[0]] = f"DESIGN_CONTEXT('',#{app},'design')"
    e[find(e, "PRODUCT_RELATED_PRODUCT_CATEGORY(")[0]] = f"PRODUCT_RELATED_PRODUCT_CATEGORY('detail',$,(#{names['product']}))"
    append(e, AP203_ADMIN + STYLES, names)
    write_step("ap203_styles_layers.stp", header("ap203_styles_layers.stp", AP203, "plate"), e)


def ap214_styles_layers():
    e, names = plate()
    append(e, STYLES, names)
    write_step("ap214_styles_layers.stp", header("ap214_styles_layers.stp", AP214, "plate with colours"), e)


def merged(first, second):
    """The entities of two parts in one file: the second renumbered after the first, its application
    context and protocol the first's."""
    shift = max(first) + 10
    same = {find(second, "APPLICATION_CONTEXT(")[0]: find(first, "APPLICATION_CONTEXT(")[0]}
    dropped = set(find(second, "APPLICATION_PROTOCOL_DEFINITION(")) | set(same)
    out = dict(first)
    for n, body in second.items():
        if n not in dropped:
            out[n + shift] = map_refs(body, lambda k: f"#{same.get(k, k + shift)}")
    return out, shift


ASSEMBLY = r"""
@asm_product=PRODUCT('plate assembly','plate assembly','',({product_context}));
@asm_pdf=PRODUCT_DEFINITION_FORMATION('','',@asm_product);
@asm_pdef=PRODUCT_DEFINITION('design','',@asm_pdf,{pdef_context});
@asm_pds=PRODUCT_DEFINITION_SHAPE('','',@asm_pdef);
@asm_category=PRODUCT_RELATED_PRODUCT_CATEGORY('assembly',$,(@asm_product));
@origin=CARTESIAN_POINT('',(0.,0.,0.));
@z=DIRECTION('',(0.,0.,1.));
@x=DIRECTION('',(1.,0.,0.));
@y=DIRECTION('',(0.,1.,0.));
@asm_place=AXIS2_PLACEMENT_3D('',@origin,@z,@x);
@at_plate=CARTESIAN_POINT('',(0.,0.,0.));
@plate_place=AXIS2_PLACEMENT_3D('',@at_plate,@z,@x);
@at_boss1=CARTESIAN_POINT('',(200.,0.,0.));
@boss1_place=AXIS2_PLACEMENT_3D('',@at_boss1,@z,@x);
@at_boss2=CARTESIAN_POINT('',(400.,200.,0.));
@boss2_place=AXIS2_PLACEMENT_3D('',@at_boss2,@z,@y);
@asm_rep=SHAPE_REPRESENTATION('plate assembly',(@asm_place,@plate_place,@boss1_place,@boss2_place),{ctx});
@asm_sdr=SHAPE_DEFINITION_REPRESENTATION(@asm_pds,@asm_rep);
@plate_use=NEXT_ASSEMBLY_USAGE_OCCURRENCE('1','plate','',@asm_pdef,{plate_pdef},$);
@plate_use_shape=PRODUCT_DEFINITION_SHAPE('','',@plate_use);
@plate_move=ITEM_DEFINED_TRANSFORMATION('','',{plate_origin},@plate_place);
@plate_relation=(REPRESENTATION_RELATIONSHIP('','',{plate_rep},@asm_rep)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(@plate_move)SHAPE_REPRESENTATION_RELATIONSHIP());
@plate_placed=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(@plate_relation,@plate_use_shape);
@boss1_use=NEXT_ASSEMBLY_USAGE_OCCURRENCE('2','boss:1','',@asm_pdef,{boss_pdef},$);
@boss1_use_shape=PRODUCT_DEFINITION_SHAPE('','',@boss1_use);
@boss1_move=ITEM_DEFINED_TRANSFORMATION('','',{boss_origin},@boss1_place);
@boss1_relation=(REPRESENTATION_RELATIONSHIP('','',{boss_rep},@asm_rep)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(@boss1_move)SHAPE_REPRESENTATION_RELATIONSHIP());
@boss1_placed=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(@boss1_relation,@boss1_use_shape);
@boss2_use=NEXT_ASSEMBLY_USAGE_OCCURRENCE('3','boss:2','',@asm_pdef,{boss_pdef},$);
@boss2_use_shape=PRODUCT_DEFINITION_SHAPE('','',@boss2_use);
@boss2_move=ITEM_DEFINED_TRANSFORMATION('','',{boss_origin},@boss2_place);
@boss2_relation=(REPRESENTATION_RELATIONSHIP('','',{boss_rep},@asm_rep)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(@boss2_move)SHAPE_REPRESENTATION_RELATIONSHIP());
@boss2_placed=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(@boss2_relation,@boss2_use_shape);
"""


def assembly_placed_twice():
    plate_e = read_step("holes_plate.step")
    boss_e = read_step("boss_part.step")
    e, shift = merged(plate_e, boss_e)
    plate_rep = find(plate_e, "ADVANCED_BREP_SHAPE_REPRESENTATION(")[0]
    boss_rep = find(boss_e, "ADVANCED_BREP_SHAPE_REPRESENTATION(")[0] + shift
    first_item = lambda rep: int(e[rep].split("(#", 1)[1].split(",")[0])   # the representation's own axes
    names = {
        "product_context": find(plate_e, "PRODUCT_CONTEXT(")[0],
        "pdef_context": find(plate_e, "PRODUCT_DEFINITION_CONTEXT(")[0],
        "ctx": find(plate_e, "( GEOMETRIC_REPRESENTATION_CONTEXT(3)")[0],
        "plate_pdef": find(plate_e, "PRODUCT_DEFINITION(")[0],
        "boss_pdef": find(boss_e, "PRODUCT_DEFINITION(")[0] + shift,
        "plate_rep": plate_rep, "boss_rep": boss_rep,
        "plate_origin": first_item(plate_rep), "boss_origin": first_item(boss_rep),
    }
    append(e, ASSEMBLY, names)
    write_step("assembly_placed_twice.stp", header("assembly_placed_twice.stp", AP214, "assembly"), e)
    # The placements' names and descriptions unset, as some systems write every placement.
    for n in find(e, "ITEM_DEFINED_TRANSFORMATION("):
        e[n] = e[n].replace("ITEM_DEFINED_TRANSFORMATION('',''", "ITEM_DEFINED_TRANSFORMATION($,$")
    write_step("assembly_unset_names.stp", header("assembly_unset_names.stp", AP214, "assembly"), e)


def inch_plate():
    """The plate in inches, written as systems do that put no parameter curves on their edges."""
    e, names = plate()
    for n in find(e, "EDGE_CURVE("):
        curve = int(e[n].split(",")[3][1:])
        if e[curve].startswith(("SURFACE_CURVE(", "SEAM_CURVE(")):
            e[n] = map_refs(e[n], lambda k: f"#{int(e[curve].split(',')[1][1:])}" if k == curve else f"#{k}")
    # What no edge names any more goes: the surface curves with their parameter curves.
    named = set()
    for body in e.values():
        map_refs(body, lambda k: named.add(k) or "")
    kept, pending = set(), [n for n in e if n not in named and not e[n].startswith(("SURFACE_CURVE(", "SEAM_CURVE("))]
    while pending:
        n = pending.pop()
        if n not in kept:
            kept.add(n)
            map_refs(e[n], lambda k: pending.append(k) or "")
    e = {n: b for n, b in e.items() if n in kept}

    def scaled(m):
        return fmt(float(m.group(0)) / 25.4)

    number = r"-?\d+\.\d*(?:E[-+]?\d+)?"
    for n, body in list(e.items()):
        if body.startswith("CARTESIAN_POINT("):
            e[n] = re.sub(r"\((" + number + r"),(" + number + r"),(" + number + r")\)",
                          lambda m: "(" + ",".join(fmt(float(v) / 25.4) for v in m.groups()) + ")", body)
        elif body.startswith(("CIRCLE(", "CYLINDRICAL_SURFACE(", "VECTOR(")):
            head, last = body.rsplit(",", 1)
            e[n] = head + "," + re.sub(number, scaled, last)
        elif body.startswith(("CONICAL_SURFACE(", "TOROIDAL_SURFACE(")):
            parts = body.split(",")   # a cone's radius and angle, a torus's two radii
            parts[2] = re.sub(number, scaled, parts[2])
            if body.startswith("TOROIDAL_SURFACE("):
                parts[3] = re.sub(number, scaled, parts[3])
            e[n] = ",".join(parts)
        elif body.startswith("UNCERTAINTY_MEASURE_WITH_UNIT("):
            e[n] = re.sub(r"LENGTH_MEASURE\((" + number + r")\)", "LENGTH_MEASURE(4.E-09)", body)
    mm = names["mm"]
    inch = max(e) + 1
    e[inch] = f"DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.)"
    e[inch + 1] = f"LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4),#{inch + 2})"
    e[inch + 2] = "( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) )"
    e[mm] = f"( CONVERSION_BASED_UNIT('INCH',#{inch + 1}) LENGTH_UNIT() NAMED_UNIT(#{inch}) )"
    write_step("inch_plate.stp", header("inch_plate.stp", AP214, "plate in inches"), e)


def fmt(v):
    text = repr(round(v, 15))
    if "e" in text:
        mantissa, exponent = text.split("e")
        if "." not in mantissa:
            mantissa += "."
        return f"{mantissa}E{int(exponent)}"
    return text if "." in text else text + "."


def utf8_names():
    e, names = plate()
    # Encoded as the standard's \X2\ hexadecimal, quotes doubled, a backslash written twice; the solid's
    # name in plain UTF-8, as newer systems write it.
    e[names["product"]] = (r"PRODUCT('Pl\X2\00E4\X0\tte ''A'' \\ 120\X2\00D7\X0\80',"
                           r"'Halterung f\X2\00FC\X0\r ''B''','Tr\X2\00E4\X0\ger',(#"
                           + e[names["product"]].rsplit("(#", 1)[1])
    e[names["brep"]] = "MANIFOLD_SOLID_BREP('Körper ‚Ø 8‘'," + e[names["brep"]].split(",", 1)[1]
    write_step("utf8_names.stp", header("Pl\\X2\\00E4\\X0\\tte.stp", AP214, "plate"), e)


def sparse_numbering():
    e, _ = plate()
    numbers = sorted(e)
    new = {n: 7 * i + 1000 + (i % 13) * 100000 for i, n in enumerate(numbers)}
    renumbered = {new[n]: map_refs(body, lambda k: f"#{new[k]}") for n, body in e.items()}
    # Written in an order of their own: every third statement first, then the rest from the end.
    order = [new[n] for n in numbers[::3]] + [new[n] for n in reversed(numbers) if n not in set(numbers[::3])]
    write_step("sparse_numbering.stp", header("sparse_numbering.stp", AP214, "plate"), renumbered, order)


def crlf_lines():
    e, _ = plate()
    write_step("crlf_lines.stp", header("crlf_lines.stp", AP214, "plate"), e, line_end="\r\n")


def line_ends_and_marks():
    """Lines ended by CR alone, by CR CR LF (CR LF ends written again as text), and a UTF-8 byte order
    mark."""
    e, _ = plate()
    write_step("cr_lines.stp", header("cr_lines.stp", AP214, "plate"), e, line_end="\r")
    write_step("crcrlf_lines.stp", header("crcrlf_lines.stp", AP214, "plate"), e, line_end="\r\r\n")
    write_step("utf8_bom.stp", header("utf8_bom.stp", AP214, "plate"), e, bom=True)


def unset_strings_units():
    """The units and uncertainty as some systems write them on every file: the accuracy's description
    unset ($), the solid angle's unit with its parts out of alphabetical order and its dimensions named."""
    e, names = plate()
    steradian = find(e, "( NAMED_UNIT(*) SI_UNIT($,.STERADIAN.) SOLID_ANGLE_UNIT() )")[0]
    accuracy = find(e, "UNCERTAINTY_MEASURE_WITH_UNIT(")[0]
    dimensions = max(e) + 1
    e[dimensions] = "DIMENSIONAL_EXPONENTS(0.,0.,0.,0.,0.,0.,0.)"
    e[steradian] = f"(NAMED_UNIT(#{dimensions})SOLID_ANGLE_UNIT()SI_UNIT($,.STERADIAN.))"
    e[accuracy] = f"UNCERTAINTY_MEASURE_WITH_UNIT(1.E-05,#{names['mm']},'DISTANCE_ACCURACY_VALUE',$)"
    write_step("unset_strings_units.stp", header("unset_strings_units.stp", AP214, "plate"), e)


def long_lines():
    """Four hundred statements a line, and a description of 14,450 characters: the kernel's reader takes
    no string over its buffer of 16 KiB, which the host's pre-scan refuses with a message."""
    e, names = plate()
    e[names["product"]] = ("PRODUCT('holes_plate','holes_plate','" + "long description " * 850 + "',(#"
                           + e[names["product"]].rsplit("(#", 1)[1])
    write_step("long_lines.stp", header("long_lines.stp", AP214, "plate"), e, per_line=400)


TESSELLATED = r"""
@apd=APPLICATION_PROTOCOL_DEFINITION('international standard','ap242_managed_model_based_3d_engineering',2020,@app);
@app=APPLICATION_CONTEXT('managed model based 3d engineering');
@product_context=PRODUCT_CONTEXT('',@app,'mechanical');
@product=PRODUCT('mesh block','mesh block','',(@product_context));
@pdf=PRODUCT_DEFINITION_FORMATION('','',@product);
@pdef_context=PRODUCT_DEFINITION_CONTEXT('part definition',@app,'design');
@pdef=PRODUCT_DEFINITION('design','',@pdf,@pdef_context);
@pds=PRODUCT_DEFINITION_SHAPE('','',@pdef);
@mm=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));
@rad=(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));
@sr=(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT());
@accuracy=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-07),@mm,'distance_accuracy_value','');
@ctx=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((@accuracy))GLOBAL_UNIT_ASSIGNED_CONTEXT((@mm,@rad,@sr))REPRESENTATION_CONTEXT('',''));
@points=COORDINATES_LIST('',8,((0.,0.,0.),(40.,0.,0.),(40.,30.,0.),(0.,30.,0.),(0.,0.,10.),(40.,0.,10.),(40.,30.,10.),(0.,30.,10.)));
@faces=TRIANGULATED_FACE('',@points,8,((0.,0.,-1.)),$,(),((1,3,2),(1,4,3),(5,6,7),(5,7,8),(1,2,6),(1,6,5),(2,3,7),(2,7,6),(3,4,8),(3,8,7),(4,1,5),(4,5,8)));
@solid=TESSELLATED_SOLID('mesh block',(@faces),$);
@rep=TESSELLATED_SHAPE_REPRESENTATION('mesh block',(@solid),@ctx);
@sdr=SHAPE_DEFINITION_REPRESENTATION(@pds,@rep);
"""


def tessellated_only():
    e = {1: "DUMMY()"}
    append(e, TESSELLATED, {})
    del e[1]
    write_step("tessellated_only.stp", header("tessellated_only.stp", AP242, "mesh"), e)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for make in (ap242_pmi_plate, ap203_styles_layers, ap214_styles_layers, assembly_placed_twice, inch_plate,
                 utf8_names, sparse_numbering, crlf_lines, line_ends_and_marks, unset_strings_units, long_lines,
                 tessellated_only):
        make()
